#include "app/ui/MessageBox.h"

#include "app/helpers/SetAppTitle.h"

#include <QApplication>
#include <QMessageBox>

namespace app {

namespace {

// Message texts use CR LF, and lone CRs, as line breaks; Qt draws only LF.
QString ForDisplay(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    return text;
}

class QtMessageBoxes final : public MessageBoxes {
public:
    int Show(const QString& prompt, int style, const QString& title) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(title);
        box.setTextFormat(Qt::PlainText);
        box.setText(ForDisplay(prompt));
        if ((style & 0x70) == vbExclamation) box.setIcon(QMessageBox::Warning);
        if ((style & 0x7) == vbYesNo) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            return box.exec() == QMessageBox::Yes ? vbYes : vbNo;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return vbOK;
    }
};

} // namespace

MessageBoxes& MessageBoxes::Standard() {
    static QtMessageBoxes standard;
    return standard;
}

int MsgBox(const QString& prompt, int style, const QString& title) {
    return MessageBoxes::Current().Show(prompt, style, title.isEmpty() ? AppTitle() : title);
}

} // namespace app
