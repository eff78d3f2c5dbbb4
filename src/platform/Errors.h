#pragma once

#include <stdexcept>
#include <string>

namespace zolvane2 {

// Errors the program shows to the user; what() is the Japanese text.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& text, int code = 0) : std::runtime_error(text), code_(code) {}

    // The system's error number (errno) behind the error; 0 when none was given.
    [[nodiscard]] int Code() const { return code_; }

private:
    int code_;
};

// The system's reason for errno code as it follows an error's text:
// "(理由: No space left on device)", the reason worded by the C library.
inline constexpr const char* kSystemReasonOpening = "(理由: ";
[[nodiscard]] std::string SystemReasonText(int code);
// text followed by the system's reason for code; text as it is when code is 0
// or the text already gives that reason.
[[nodiscard]] std::string WithSystemReason(const std::string& text, int code);

class FileCreateError : public Error {
public:
    using Error::Error;
};
class FileOpenError : public Error {
public:
    using Error::Error;
};
class WriteError : public Error {
public:
    using Error::Error;
};
class ReadError : public Error {
public:
    using Error::Error;
};

}  // namespace zolvane2
