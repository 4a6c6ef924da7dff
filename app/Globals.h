#pragma once
// The wizard state that is not held by page 1's text boxes. Both are empty at start.

#include <QString>

namespace Globals {

// The chosen table, as listed on page 2.
extern QString SelectedTable;
// The chosen field between back-quotes, e.g. `City`.
extern QString SelectedFields;

} // namespace Globals
