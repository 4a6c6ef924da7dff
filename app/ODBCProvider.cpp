#include "app/ODBCProvider.h"

#include "app/SupportAddress.h"
#include "app/ui/DataObjects.h"
#include "app/ui/MessageBox.h"
#include "app/ui/WebPages.h"
#include "db/Error.h"

namespace app {

namespace {

bool ProviderNotFound(long number, const QString& description) {
    return number == db::ErrorNumber::ProviderNotFound ||
           description.contains(QStringLiteral("provider cannot be found"), Qt::CaseInsensitive);
}

} // namespace

QString EngineMessage() {
    const QStringList paragraphs = {
        QStringLiteral("Error #3706: Provider cannot be found. It may not be properly installed."),
        QStringLiteral("You are getting this error because:"),
        QStringLiteral("1. Microsoft Access is not installed on your computer."),
        QStringLiteral("2. A set of Microsoft components to transfer data is not installed on your computer."),
        QStringLiteral("You need to download and install Microsoft Access Database Engine 2010 or 2016 to solve "
                       "this problem."),
        QStringLiteral("Would you like me to open the Microsoft site now so you can do this?"),
        QStringLiteral("(If you have any further questions please email a screenshot of this error message to ") +
            SupportAddress + QChar(')'),
    };
    return paragraphs.join(QStringLiteral("\r\n\r\n"));
}

QUrl EngineDownloadPage(int which) {
    return QUrl(QStringLiteral("https://www.microsoft.com/en-us/download/details.aspx?id=") +
                (which == 0 ? QStringLiteral("13255") : QStringLiteral("54920")));
}

// Every failure inside is passed over: the routine answers, and never raises.
bool CheckDatabaseEngine() {
    long number = 0;
    QString description;
    try {
        (void)CreateConnection("ADODB.Connection");
        return true;
    } catch (const db::Error& e) {
        number = e.number();
        description = QString::fromStdString(e.description());
    } catch (const std::exception& e) {
        description = QString::fromUtf8(e.what());
    } catch (...) {
    }
    if (!ProviderNotFound(number, description)) return false;
    try {
        if (MsgBox(EngineMessage(), vbYesNo) != vbYes) return false;
    } catch (...) {
        return false;
    }
    for (int page = 0; page < 2; ++page)
        try {
            OpenWebPage(EngineDownloadPage(page));
        } catch (...) {
        }
    return false;
}

} // namespace app
