#include "app/ui/CommonDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QStringList>

namespace app {

namespace {

class QtFileDialogs final : public FileDialogs {
public:
    QString ShowOpen(const OpenFileRequest& request) override {
        // The read-only box of the flags has no counterpart here; its state is never read.
        return QFileDialog::getOpenFileName(QApplication::activeWindow(), request.DialogTitle,
                                            request.FileName, QtNameFilters(request.Filter), nullptr,
                                            QFileDialog::HideNameFilterDetails);
    }
};

} // namespace

FileDialogs& FileDialogs::Standard() {
    static QtFileDialogs standard;
    return standard;
}

void CommonDialog::ShowOpen() {
    FileName = FileDialogs::Current().ShowOpen({DialogTitle, Filter, FileName, Flags});
}

QString QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QChar('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QChar(';'), QChar(' '));
        // Qt takes the patterns from the last parenthesis of each filter.
        filters << description + QStringLiteral(" (") + patterns + QChar(')');
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace app
