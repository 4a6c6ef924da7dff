#include "app/helpers/ApplySkin.h"

#include "app/errors/Failure.h"
#include "app/helpers/ApplyFormColors.h"
#include "app/ui/Runtime.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

namespace app {

QString SkinFile() {
    return BesideProgram(QStringLiteral("x/o.cjs"));
}

void ApplySkin(QWidget& form1) {
    const QFileInfo skin(SkinFile());
    if (!skin.isFile() || skin.isHidden()) return;
    ApplyFormColors(form1);
    QFile file(skin.filePath());
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Could not load the skin: ") + file.errorString());
    qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
}

} // namespace app
