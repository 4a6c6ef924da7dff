#pragma once
// A failure raised by the program's own routines. Its text is the description the error box shows.

#include <QString>

#include <stdexcept>

namespace app {

class Failure : public std::runtime_error {
public:
    explicit Failure(const QString& description) : std::runtime_error(description.toStdString()) {}
};

} // namespace app
