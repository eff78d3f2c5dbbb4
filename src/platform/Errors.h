#pragma once

#include <exception>
#include <stdexcept>
#include <string>

#include "platform/UserText.h"

namespace zolvane2 {

// Errors the program shows to the user. Text() is worded by each front end
// in its language; what() is the Japanese wording, for logs.
class Error : public std::runtime_error {
public:
    explicit Error(const UserText& text, int code = 0)
        : std::runtime_error(text.Japanese()), text_(text), code_(code) {}

    [[nodiscard]] const UserText& Text() const { return text_; }
    // The system's error number (errno) behind the error; 0 when none was given.
    [[nodiscard]] int Code() const { return code_; }

private:
    UserText text_;
    int code_;
};

// The text of any exception: an Error's own, what() of any other.
[[nodiscard]] UserText TextOf(const std::exception& e);

// The system's reason for errno code as it follows a Japanese text:
// "(理由: No space left on device)", the reason worded by the C library.
[[nodiscard]] std::string SystemReasonText(int code);
// text followed by the system's reason for code; text as it is when code is 0
// or the text already gives that reason.
[[nodiscard]] UserText WithSystemReason(const UserText& text, int code);

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
