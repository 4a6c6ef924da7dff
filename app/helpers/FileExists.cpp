#include "app/helpers/FileExists.h"

#include "db/Access.h"

namespace app {

bool FileExists(const QString& path) {
    return Access::FileExists(path.toStdString());
}

} // namespace app
