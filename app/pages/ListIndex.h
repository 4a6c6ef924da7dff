#pragma once
// The selected entry of a single-selection list box: its index, or -1 when none is selected.

class QListWidget;

namespace app {

int ListIndex(const QListWidget& list);
// Selects the entry at the index; -1 leaves the list without a selection.
void SetListIndex(QListWidget& list, int index);

} // namespace app
