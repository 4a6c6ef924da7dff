#include "app/Globals.h"

namespace Globals {

QString SelectedTable;
QString SelectedFields;

} // namespace Globals
