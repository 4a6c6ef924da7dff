#pragma once
// Page 1, the database: the Access file and its password. The start-up window: its load runs the
// program's start-up steps.

#include "app/pages/Page.h"
#include "app/ui/CommonDialog.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace wizard {

class Wizard;

class Form1 : public app::Page {
    Q_OBJECT
public:
    explicit Form1(Wizard& wizard);

    QGroupBox* Frame1;
    QLabel* Label5;
    QLineEdit* Text1; // the database file path
    QPushButton* PushButton5;
    QLabel* lblPassword;
    QLineEdit* Text2; // the database password
    QPushButton* PushButton1;
    QPushButton* PushButton3;
    app::CommonDialog CommonDialog1;

    void PushButton1_Click(); // "Load Sample/Example Database"
    void PushButton3_Click(); // "Next >"
    void PushButton5_Click(); // "..." (browse)
    void Text1_Change();
    void Text2_Change();
    void Text1_GotFocus();
    void Text2_GotFocus();

protected:
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Wizard& wizard_;
};

} // namespace wizard
