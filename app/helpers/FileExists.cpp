#include "app/helpers/FileExists.h"

#include <QDateTime>
#include <QFileInfo>

namespace app {

bool FileExists(const QString& path) {
    if (path.isEmpty() || path.contains(QChar(0))) return false;
    const QFileInfo info(path);
    return info.isFile() && info.lastModified().isValid();
}

} // namespace app
