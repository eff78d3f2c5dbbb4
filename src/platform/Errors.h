#pragma once

#include <stdexcept>
#include <string>

namespace zolvane2 {

// Errors the program shows to the user; what() is the Japanese text.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

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
