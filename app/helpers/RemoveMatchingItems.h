#pragma once

class QListWidget;

namespace app {

// Removes from list A every entry whose text equals (case-sensitively) the text of an entry of
// list B. Entries with empty text stay; B is not changed; the rest of A keeps its order. Yields to
// the window system at every comparison.
void RemoveMatchingItems(QListWidget& a, const QListWidget& b);

} // namespace app
