// The program's own error throwers for the string and container templates: the
// program's catch sites must see what the C++ runtime's own throwers gave them. A plain
// program, linked like Treskcolor.exe: GoogleTest itself needs the runtime's throwers,
// whose object cannot be linked beside these.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

int failures = 0;

// what() of the exception `action` throws, which must be a std::exception.
template <typename F>
std::string WhatOf(F&& action) {
    try {
        action();
    } catch (const std::bad_array_new_length&) {
        return "bad_array_new_length";
    } catch (const std::bad_alloc&) {
        return "bad_alloc";
    } catch (const std::exception& e) {
        return e.what();
    }
    return "nothing thrown";
}

void Expect(const char* what, const std::string& actual, const std::string& expected) {
    if (actual != expected) {
        ++failures;
        std::printf("FAILED %s:\n  got      \"%s\"\n  expected \"%s\"\n", what, actual.c_str(),
                    expected.c_str());
    }
}

void StringAndVectorErrorsCarryTheRuntimesText() {
    const std::string abc = "abc";
    Expect("substr", WhatOf([&] { static_cast<void>(abc.substr(5)); }),
           "basic_string::substr: __pos (which is 5) > this->size() (which is 3)");
    Expect("string at", WhatOf([&] { static_cast<void>(abc.at(7)); }),
           "basic_string::at: __n (which is 7) >= this->size() (which is 3)");
    const std::vector<int> numbers(2);
    Expect("vector at", WhatOf([&] { static_cast<void>(numbers.at(4)); }),
           "vector::_M_range_check: __n (which is 4) >= this->size() (which is 2)");
    Expect("vector reserve", WhatOf([] {
               std::vector<std::uint8_t> bytes;
               bytes.reserve(bytes.max_size() + 1);
           }),
           "vector::reserve");
    Expect("string reserve", WhatOf([] {
               std::string text;
               text.reserve(text.max_size() + 1);
           }),
           "basic_string::_M_create");
    const char* volatile none = nullptr;
    Expect("string from null", WhatOf([&] { std::string text(none); }),
           "basic_string: construction from null is not valid");
}

void AllocationFailuresStayBadAlloc() {
    Expect("allocator", WhatOf([] {
               static_cast<void>(std::allocator<std::uint64_t>().allocate(std::size_t{1} << 30));
           }),
           "bad_array_new_length");
    Expect("huge vector", WhatOf([] {
               std::vector<std::uint8_t> bytes;
               bytes.reserve(bytes.max_size());
           }),
           "bad_alloc");
}

}  // namespace

int main() {
    StringAndVectorErrorsCarryTheRuntimesText();
    AllocationFailuresStayBadAlloc();
    std::printf("%s\n", failures == 0 ? "all passed" : "some failed");
    return failures == 0 ? 0 : 1;
}
