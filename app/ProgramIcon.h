#pragma once

#include <QIcon>

namespace app {

// The program's icon, the same on every page.
QIcon ProgramIcon();

} // namespace app
