#include "app/helpers/SetAppTitle.h"

namespace app {

namespace {

QString& Title() {
    static QString title = ProductTitle;
    return title;
}

} // namespace

void SetAppTitle(const QString& productTitle) {
    QString title = productTitle;
    do {
        const qsizetype lastSpace = title.lastIndexOf(QChar(' '));
        if (lastSpace < 0) break; // nothing left to cut: keep the rest whole
        title.truncate(lastSpace);
    } while (title.size() > 40);
    Title() = title;
}

QString AppTitle() {
    return Title();
}

} // namespace app
