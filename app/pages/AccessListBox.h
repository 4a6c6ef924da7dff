#pragma once
// A page's list box as the database routines fill it (FillTableList).

#include "db/Access.h"

class QListWidget;

namespace app {

class AccessListBox final : public Access::ListBox {
public:
    explicit AccessListBox(QListWidget& list) : list_(list) {}

    void Clear() override;
    void AddItem(const std::string& text) override;
    int ListCount() const override;
    void SetListIndex(int index) override;

private:
    QListWidget& list_;
};

} // namespace app
