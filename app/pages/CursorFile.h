#pragma once
// Mouse pointers from Windows cursor files (.cur).

#include <QCursor>
#include <QString>

namespace app {

// The cursor in the file, with the hotspot its header gives. Fails when the file cannot be read
// or is no cursor file.
QCursor LoadCursorFile(const QString& path);

} // namespace app
