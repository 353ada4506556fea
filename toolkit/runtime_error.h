#pragma once
// A run-time error raised by the toolkit or the program: a number and a description.
// An error that no trap catches ends the program with its description.
#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace tk {

class RuntimeError : public std::exception {
public:
    RuntimeError(std::int32_t number, std::string description)
        : number_(number), description_(std::move(description)) {}
    std::int32_t Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    std::int32_t number_;
    std::string description_;
};

// The description of the exception being handled, for a trap's message: what() of
// any standard exception (a RuntimeError's is its description), "Unexpected error"
// for anything else. Call it only inside a catch block; the text lives as long as
// that handler runs.
inline const char* CaughtErrorText() noexcept {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unexpected error";
    }
}

// Classic error numbers the toolkit raises.
inline constexpr std::int32_t kErrInvalidPropertyValue = 380;
inline constexpr std::int32_t kErrFileNotFound = 53;
inline constexpr std::int32_t kErrBadFileName = 52;
inline constexpr std::int32_t kErrLoadingLibrary = 48;
inline constexpr std::int32_t kErrFunctionNotFound = 453;
inline constexpr std::int32_t kErrDiskFull = 61;
inline constexpr std::int32_t kErrPermissionDenied = 70;
inline constexpr std::int32_t kErrPathFileAccess = 75;
inline constexpr std::int32_t kErrPathNotFound = 76;
inline constexpr std::int32_t kErrInvalidPicture = 481;

}  // namespace tk
