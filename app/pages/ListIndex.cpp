#include "app/pages/ListIndex.h"

#include <QListWidget>

namespace app {

int ListIndex(const QListWidget& list) {
    const QListWidgetItem* item = list.currentItem();
    return item && item->isSelected() ? list.row(item) : -1;
}

void SetListIndex(QListWidget& list, int index) {
    if (index < 0) {
        list.setCurrentRow(-1);
        list.clearSelection();
        return;
    }
    list.setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

} // namespace app
