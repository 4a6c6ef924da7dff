#include "app/helpers/RemoveMatchingItems.h"

#include "app/helpers/RemoveDuplicates.h"
#include "app/ui/Runtime.h"

#include <QListWidget>

namespace app {

void RemoveMatchingItems(QListWidget& a, const QListWidget& b) {
    db::Variant::Array matches;
    for (int i = 0; i < a.count(); ++i) {
        for (int j = 0; j < b.count(); ++j) {
            DoEvents();
            // The yield may have let the user change either list.
            if (i >= a.count() || j >= b.count()) break;
            const QString text = a.item(i)->text();
            if (!text.isEmpty() && b.item(j)->text() == text) matches.emplace_back(std::int64_t{i});
        }
    }
    const db::Variant::Array indexes = RemoveDuplicates(matches);
    for (auto index = indexes.rbegin(); index != indexes.rend(); ++index) {
        const auto row = static_cast<int>(index->get<std::int64_t>());
        if (row < a.count()) delete a.takeItem(row);
    }
}

} // namespace app
