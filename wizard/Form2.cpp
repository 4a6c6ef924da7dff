#include "wizard/Form2.h"

#include "app/pages/Controls.h"
#include "wizard/Form1.h"
#include "wizard/Wizard.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

namespace wizard {

Form2::Form2(Wizard& wizard) : Page(QStringLiteral("Form2"), 8040, 2610), wizard_(wizard) {
    using app::Place;
    setFont(app::ControlFont());
    Frame1 = app::Frame(this, "Frame1", QStringLiteral("Which table contains the field you want to split?"),
                        Place{120, 120, 7800, 2415});
    List1 = app::ListBox(Frame1, "List1", Place{240, 300, 7320, 1410});
    PushButton2 =
        app::PushButton(Frame1, "PushButton2", QStringLiteral("< Back"), Place{240, 1845, 3600, 405});
    PushButton3 =
        app::PushButton(Frame1, "PushButton3", QStringLiteral("Next >"), Place{3960, 1845, 3600, 405});
    SetTabOrder({List1, PushButton2, PushButton3});

    Pointer()->HandOver({PushButton2, PushButton3});
    Pointer()->ArrowOver({this, List1, Frame1});

    connect(PushButton2, &QPushButton::clicked, this, &Form2::PushButton2_Click);
    connect(PushButton3, &QPushButton::clicked, this, &Form2::PushButton3_Click);
}

void Form2::Form_Load() {
    app::ErrorTrap trap = Trap(QStringLiteral("Form_Load"));
    LoadPageSetup(trap);
}

// Back to page 1.
void Form2::PushButton2_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton2_Click"));
    trap.Line(100, [&] { wizard_.Form1().Show(); });
    trap.Line(102, [&] { Hide(); });
}

// Next: records the chosen table, prepares page 3 from it and moves there. The move comes with
// the data layer; until then the button does nothing.
void Form2::PushButton3_Click() {}

} // namespace wizard
