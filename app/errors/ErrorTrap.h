#pragma once
// The error trap of the pages' button and load handlers. A handler arms one trap and runs its
// statements through it, each under its line number:
//
//     ErrorTrap trap = Trap("PushButton2_Click");
//     trap.Line(100, [&] { wizard.Form1().Show(); });
//     trap.Line(102, [&] { Hide(); });
//
// A failure in a statement, or in a routine it calls, shows the "Application Error" box with the
// failure's description, the handler's location and the statement's line; the handler then goes on
// with its next statement. A failing statement has no further effect.

#include <QString>

#include <functional>

namespace app {

// "in Tolvane2021/08/31.Form2.PushButton2_Click ": where a trapped handler lives.
QString LocationText(const QString& form, const QString& handler);

// The error box's text for a failure at a line.
QString ErrorMessageText(const QString& description, const QString& location, int line);

class ErrorTrap {
public:
    explicit ErrorTrap(QString location) : location_(std::move(location)) {}

    // Runs one numbered statement.
    void Line(int number, const std::function<void()>& statement);

    // The test of a conditional block: whether the block runs. A failing test is reported and the
    // block runs, since execution goes on with the first statement inside it.
    bool If(int number, const std::function<bool()>& condition);

    // The number of the last numbered statement reached; 0 before the first.
    int CurrentLine() const { return line_; }
    const QString& Location() const { return location_; }

private:
    bool Run(const std::function<void()>& statement);
    void Report(const QString& description) const;

    QString location_;
    int line_ = 0;
};

} // namespace app
