#pragma once
// Page 3, the field: a preview of the table, the fields on offer and the one field chosen.

#include "app/pages/Page.h"

class QGroupBox;
class QListWidget;
class QPushButton;
class QTableView;

namespace wizard {

class Wizard;

class Form3 : public app::Page {
    Q_OBJECT
public:
    explicit Form3(Wizard& wizard);

    QGroupBox* Frame1;
    QTableView* DataGrid1; // the preview
    QGroupBox* Frame2;
    QListWidget* List1; // fields on offer
    QPushButton* PushButton5;
    QPushButton* PushButton7;
    QListWidget* List2; // the chosen field
    QPushButton* PushButton2;
    QPushButton* PushButton3;

    void PushButton2_Click(); // "< Back"
    void PushButton3_Click(); // "Next >"
    void PushButton5_Click(); // ">"
    void PushButton7_Click(); // "<"
    void List1_DblClick();
    void List2_DblClick();

protected:
    void Form_Load() override;

private:
    // ">" while there are fields on offer; "<" and "Next >" while a field is chosen.
    void SetMoveButtons(app::ErrorTrap& trap, int offerLine, int chosenLine);
    void EnableOffer();
    void EnableChosen();

    Wizard& wizard_;
};

} // namespace wizard
