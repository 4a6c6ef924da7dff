#include "app/errors/ErrorTrap.h"

#include "app/SupportAddress.h"
#include "app/ui/MessageBox.h"

#include <exception>

namespace app {

QString LocationText(const QString& form, const QString& handler) {
    return QStringLiteral("in Tolvane2021/08/31.") + form + QChar('.') + handler + QChar(' ');
}

QString ErrorMessageText(const QString& description, const QString& location, int line) {
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + SupportAddress;
}

void ErrorTrap::Line(int number, const std::function<void()>& statement) {
    line_ = number;
    Run(statement);
}

bool ErrorTrap::If(int number, const std::function<bool()>& condition) {
    line_ = number;
    bool holds = true;
    Run([&] { holds = condition(); });
    return holds;
}

bool ErrorTrap::Run(const std::function<void()>& statement) {
    QString description;
    try {
        statement();
        return true;
    } catch (const std::exception& failure) {
        description = QString::fromUtf8(failure.what());
    } catch (...) {
        description = QStringLiteral("Unknown failure");
    }
    Report(description);
    return false;
}

void ErrorTrap::Report(const QString& description) const {
    MsgBox(ErrorMessageText(description, location_, line_), vbExclamation | vbOKOnly,
           QStringLiteral("Application Error"));
}

} // namespace app
