// The few entry points of the statically linked C++ runtime that the program supplies
// itself, so that the linker does not pull in the runtime's much larger versions.
//
// The runtime's default terminate handler prints the exception's demangled type name to
// the standard error stream (which a windowed program does not have) and brings the
// whole name demangler with it (about 45 KB). The runtime's error throwers
// (std::__throw_length_error and its siblings, called by the string and container
// templates) live in one object that refers to every standard exception type, which
// brings the old reference-counted string, its exception wrappers and std::random_device
// (about 75 KB). Only the program's own executable links this file: the linker takes
// these definitions before it searches the runtime. Should the program ever need
// another thrower from that object, the link fails with "multiple definition" instead of
// growing silently.
//
// What the program sees stays the same: every catch site in the program catches
// tk::RuntimeError, std::exception (and shows what()), std::bad_alloc or anything, and
// these throwers raise std::bad_alloc and std::bad_array_new_length as before, and
// otherwise an exception whose what() is the runtime's own text.
#include <cstdarg>
#include <cstddef>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>

namespace {

// A std::exception carrying the runtime's message in a fixed buffer, so that making it
// cannot fail.
class LibraryError : public std::exception {
public:
    LibraryError() noexcept = default;
    const char* what() const noexcept override { return text_; }

    // Appends `text`, cutting it where the buffer ends.
    void Append(const char* text) noexcept {
        while (*text != '\0' && length_ + 1 < sizeof(text_)) {
            text_[length_++] = *text++;
        }
        text_[length_] = '\0';
    }

    void AppendNumber(std::size_t value) noexcept {
        char digits[24];
        char* first = digits + sizeof(digits);
        *--first = '\0';
        do {
            *--first = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        Append(first);
    }

private:
    char text_[512] = {};
    std::size_t length_ = 0;
};

}  // namespace

namespace __gnu_cxx {

// In force until App::Init installs the program's own handler: ends the program at once.
void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() {
    throw bad_alloc();
}

void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}

void __throw_length_error(const char* text) {
    LibraryError error;
    error.Append(text);
    throw error;
}

void __throw_logic_error(const char* text) {
    LibraryError error;
    error.Append(text);
    throw error;
}

// The runtime's format language: %s, %zu and %%; anything else is copied as it stands.
void __throw_out_of_range_fmt(const char* format, ...) {
    LibraryError error;
    va_list args;
    va_start(args, format);
    char one[2] = {};
    for (const char* at = format; *at != '\0';) {
        if (at[0] == '%' && at[1] == 's') {
            error.Append(va_arg(args, const char*));
            at += 2;
        } else if (at[0] == '%' && at[1] == 'z' && at[2] == 'u') {
            error.AppendNumber(va_arg(args, std::size_t));
            at += 3;
        } else {
            if (at[0] == '%' && at[1] == '%') {
                ++at;
            }
            one[0] = *at++;
            error.Append(one);
        }
    }
    va_end(args);
    throw error;
}

}  // namespace std
