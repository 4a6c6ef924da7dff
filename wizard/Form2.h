#pragma once
// Page 2, the table: the tables of the database, one of which holds the field to split.

#include "app/pages/Page.h"

class QGroupBox;
class QListWidget;
class QPushButton;

namespace wizard {

class Wizard;

class Form2 : public app::Page {
    Q_OBJECT
public:
    explicit Form2(Wizard& wizard);

    QGroupBox* Frame1;
    QListWidget* List1; // the table names
    QPushButton* PushButton2;
    QPushButton* PushButton3;

    void PushButton2_Click(); // "< Back"
    void PushButton3_Click(); // "Next >"

protected:
    void Form_Load() override;

private:
    Wizard& wizard_;
};

} // namespace wizard
