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

// Writing the file failed: a write or a sync reported an error (the disk is full, or an I/O error),
// or the path no longer names the file written. The writing session that meets it has dropped what
// it had not written and makes no more changes; the file holds what was synced before, and opening
// it again takes up from there.
class WriteFailure : public Error {
public:
    enum class Kind { Io, DiskFull, Replaced };
    WriteFailure(const std::string& what, Kind kind) : Error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

[[noreturn]] void corrupt(const std::string& what);

} // namespace jet
