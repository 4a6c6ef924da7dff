#pragma once
// Errors of the engine. Anything read from a file that does not make sense throws Corrupt; the
// database object adds the file's name before the error leaves the engine, so every message a
// caller sees names the file it is about.

#include <stdexcept>
#include <string>

namespace jet {

// Any failure of the engine; what() is the full message, naming the file where there is one.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file's content contradicts the format (bad offset, length, page type, ...).
class Corrupt : public Error {
public:
    using Error::Error;
};

// The password given does not match the one stored in the database.
class BadPassword : public Error {
public:
    using Error::Error;
};

// The file is valid but uses something this engine does not read (yet).
class Unsupported : public Error {
public:
    using Error::Error;
};

// What was read does not hold together because another program is changing the file meanwhile;
// the file itself need not be damaged.
class Changing : public Error {
public:
    using Error::Error;
};

[[noreturn]] void corrupt(const std::string& what);

} // namespace jet
