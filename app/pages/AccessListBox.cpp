#include "app/pages/AccessListBox.h"

#include "app/pages/ListIndex.h"

#include <QListWidget>

namespace app {

void AccessListBox::Clear() {
    list_.clear();
}

void AccessListBox::AddItem(const std::string& text) {
    list_.addItem(QString::fromStdString(text));
}

int AccessListBox::ListCount() const {
    return list_.count();
}

void AccessListBox::SetListIndex(int index) {
    app::SetListIndex(list_, index);
}

} // namespace app
