#include "wizard/Form4.h"

#include "app/pages/Controls.h"
#include "app/pages/ProgressBar.h"
#include "app/pages/Twips.h"
#include "wizard/Form2.h"
#include "wizard/Wizard.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

namespace wizard {

Form4::Form4(Wizard& wizard) : Page(QStringLiteral("Form4"), 8040, 4725), wizard_(wizard) {
    using app::Place;
    setFont(app::ControlFont());
    PushButton2 = app::PushButton(this, "PushButton2", QStringLiteral("< Back"), Place{120, 120, 7800, 405});
    Frame1 = app::Frame(this, "Frame1",
                        QStringLiteral(" What character would you like to split all values in the field by?"),
                        Place{120, 570, 7800, 2205});
    Option1 = app::OptionButton(Frame1, "Option1", QStringLiteral("Space"), Place{240, 300, 975, 255});
    Option2 = app::OptionButton(Frame1, "Option2", QStringLiteral("Comma"), Place{240, 650, 1095, 255});
    Option3 =
        app::OptionButton(Frame1, "Option3", QStringLiteral("Comma-Space"), Place{240, 1000, 1695, 255});
    Option5 = app::OptionButton(Frame1, "Option5", QStringLiteral("Line Break (Enter)"),
                                Place{240, 1350, 2055, 255});
    Option4 = app::OptionButton(Frame1, "Option4", QStringLiteral("Other:"), Place{240, 1700, 855, 255});
    Text1 = app::TextBox(Frame1, "Text1", Place{1200, 1665, 960, 345});
    Option1->setChecked(true);
    Frame2 = app::Frame(this, "Frame2",
                        QStringLiteral("Splits need to be put into new fields. What would you like to label "
                                       "these new fields as?"),
                        Place{120, 2820, 7800, 825});
    Text2 = app::TextBox(Frame2, "Text2", Place{240, 300, 7335, 345});
    PushButton4 = app::PushButton(this, "PushButton4", QStringLiteral("Finish"), Place{120, 3760, 7800, 405});
    ProgressBar1 = new app::ProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(app::TwipsRect(120, 4280, 7800, 405));
    ProgressBar1->SetText(QStringLiteral("Progress Bar"));
    DataGrid1 = app::DataGrid(this, "DataGrid1", Place{360, 4920, 5655, 2055});
    SetTabOrder(
        {PushButton2, PushButton4, Option5, Option4, Option3, Option2, Option1, Text1, Text2, DataGrid1});

    Pointer()->HandOver({PushButton2, PushButton4});
    Pointer()->ArrowOver({this, Text1, Frame1, Frame2});

    connect(PushButton2, &QPushButton::clicked, this, &Form4::PushButton2_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form4::PushButton4_Click);
}

void Form4::Form_Load() {
    app::ErrorTrap trap = Trap(QStringLiteral("Form_Load"));
    LoadPageSetup(trap);
    trap.Line(112, [&] { Text1->setText(QString()); });
    trap.Line(114, [&] { Text2->setText(QStringLiteral("SPLITCOLUMN")); });
}

// Back to page 2, not page 3: page 3 is prepared afresh by page 2's Next.
void Form4::PushButton2_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton2_Click"));
    trap.Line(106, [&] { PushButton4->setText(QStringLiteral("Finish")); });
    trap.Line(108, [&] { ProgressBar1->SetText(QStringLiteral("ProgressBar")); });
    trap.Line(110, [&] { wizard_.Form2().Show(); });
    trap.Line(112, [&] { Hide(); });
}

// Finish: runs the split, after which the button reads "Exit" and ends the program. The split
// comes with its engine; until then the button does nothing.
void Form4::PushButton4_Click() {}

} // namespace wizard
