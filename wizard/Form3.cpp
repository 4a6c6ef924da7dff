#include "wizard/Form3.h"

#include "app/Globals.h"
#include "app/pages/Controls.h"
#include "app/pages/ListIndex.h"
#include "app/ui/MessageBox.h"
#include "wizard/Form2.h"
#include "wizard/Form4.h"
#include "wizard/Wizard.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>

namespace wizard {

namespace {

const QString SelectFirst = QStringLiteral("Please select a field first.");
const QString OnlyOne = QStringLiteral("You can only select one field.");

// Appends the selected entry of one list to the other and takes it out of the first.
void MoveSelected(QListWidget& from, QListWidget& to) {
    const int index = app::ListIndex(from);
    if (index < 0) return;
    to.addItem(from.item(index)->text());
    delete from.takeItem(index);
    app::SetListIndex(from, -1);
}

} // namespace

Form3::Form3(Wizard& wizard) : Page(QStringLiteral("Form3"), 8040, 5010), wizard_(wizard) {
    using app::Place;
    setFont(app::ControlFont());
    Frame1 = app::Frame(this, "Frame1", QStringLiteral("Preview"), Place{120, 90, 7800, 1875});
    DataGrid1 = app::DataGrid(Frame1, "DataGrid1", Place{240, 300, 7320, 1365});
    Frame2 = app::Frame(this, "Frame2", QStringLiteral(" Which fields would you like to split?"),
                        Place{120, 2040, 7800, 2355});
    List1 = app::ListBox(Frame2, "List1", Place{240, 300, 3360, 1860});
    PushButton5 = app::PushButton(Frame2, "PushButton5", QStringLiteral(">"), Place{3720, 300, 375, 405});
    PushButton7 = app::PushButton(Frame2, "PushButton7", QStringLiteral("<"), Place{3720, 800, 375, 405});
    List2 = app::ListBox(Frame2, "List2", Place{4200, 300, 3360, 1860});
    PushButton2 = app::PushButton(this, "PushButton2", QStringLiteral("< Back"), Place{120, 4530, 3840, 405});
    PushButton3 =
        app::PushButton(this, "PushButton3", QStringLiteral("Next >"), Place{4080, 4530, 3840, 405});
    // Names for screen readers: the grid by its frame, the two lists apart, the arrow buttons by what
    // they do. The keyboard goes through the page as it reads, top to bottom and left to right.
    DataGrid1->setAccessibleName(Frame1->title());
    List1->setAccessibleName(QStringLiteral("Fields on offer"));
    List2->setAccessibleName(QStringLiteral("Field to split"));
    for (QListWidget* list : {List1, List2})
        list->setAccessibleDescription(Frame2->title().trimmed());
    PushButton5->setAccessibleName(QStringLiteral("Move to the field to split"));
    PushButton7->setAccessibleName(QStringLiteral("Move back to the fields on offer"));
    SetTabOrder({DataGrid1, List1, PushButton5, PushButton7, List2, PushButton2, PushButton3});

    // Both lists are empty until page 2 fills them.
    EnableOffer();
    EnableChosen();

    Pointer()->HandOver({PushButton2, PushButton3, PushButton5, PushButton7});
    Pointer()->ArrowOver({this, List1, List2, Frame1, Frame2, DataGrid1});

    connect(PushButton2, &QPushButton::clicked, this, &Form3::PushButton2_Click);
    connect(PushButton3, &QPushButton::clicked, this, &Form3::PushButton3_Click);
    connect(PushButton5, &QPushButton::clicked, this, &Form3::PushButton5_Click);
    connect(PushButton7, &QPushButton::clicked, this, &Form3::PushButton7_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, &Form3::List1_DblClick);
    connect(List2, &QListWidget::itemDoubleClicked, this, &Form3::List2_DblClick);
}

void Form3::Form_Load() {
    app::ErrorTrap trap = Trap(QStringLiteral("Form_Load"));
    LoadPageSetup(trap);
}

// Back to page 2.
void Form3::PushButton2_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton2_Click"));
    trap.Line(100, [&] { wizard_.Form2().Show(); });
    trap.Line(102, [&] { Hide(); });
}

// Next: the chosen field, back-quoted, becomes SelectedFields; on to page 4.
void Form3::PushButton3_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton3_Click"));
    trap.Line(106, [&] { Globals::SelectedFields = QString(); });
    for (int i = 0; i < List2->count(); ++i)
        trap.Line(110, [&] {
            Globals::SelectedFields += QChar('`') + List2->item(i)->text() + QStringLiteral("`, ");
        });
    trap.Line(114, [&] { Globals::SelectedFields.chop(2); });
    trap.Line(116, [&] { wizard_.Form4().Show(); });
    trap.Line(118, [&] { Hide(); });
}

// ">": the selected field on offer becomes the chosen one.
void Form3::PushButton5_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton5_Click"));
    if (trap.If(100, [&] { return app::ListIndex(*List1) < 0; })) {
        trap.Line(126, [&] { app::MsgBox(SelectFirst); });
        return;
    }
    if (trap.If(102, [&] { return List2->count() > 0; })) {
        trap.Line(124, [&] { app::MsgBox(OnlyOne); });
        return;
    }
    trap.Line(104, [&] { List2->addItem(List1->item(app::ListIndex(*List1))->text()); });
    trap.Line(106, [&] {
        delete List1->takeItem(app::ListIndex(*List1));
        app::SetListIndex(*List1, -1);
    });
    SetMoveButtons(trap, 108, 114);
}

// "<": the chosen field goes back to the end of the fields on offer.
void Form3::PushButton7_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton7_Click"));
    if (trap.If(100, [&] { return app::ListIndex(*List2) < 0; })) {
        trap.Line(122, [&] { app::MsgBox(SelectFirst); });
        return;
    }
    trap.Line(102, [&] { List1->addItem(List2->item(app::ListIndex(*List2))->text()); });
    trap.Line(104, [&] { delete List2->takeItem(app::ListIndex(*List2)); });
    SetMoveButtons(trap, 106, 112);
}

void Form3::List1_DblClick() {
    Guarded(QStringLiteral("List1_DblClick"), [&] {
        if (List2->count() > 0) {
            app::MsgBox(OnlyOne);
            return;
        }
        MoveSelected(*List1, *List2);
        EnableOffer();
        EnableChosen();
    });
}

void Form3::List2_DblClick() {
    Guarded(QStringLiteral("List2_DblClick"), [&] {
        MoveSelected(*List2, *List1);
        EnableOffer();
        EnableChosen();
    });
}

void Form3::SetMoveButtons(app::ErrorTrap& trap, int offerLine, int chosenLine) {
    trap.Line(offerLine, [&] { EnableOffer(); });
    trap.Line(chosenLine, [&] { EnableChosen(); });
}

void Form3::EnableOffer() {
    PushButton5->setEnabled(List1->count() > 0);
}

void Form3::EnableChosen() {
    PushButton7->setEnabled(List2->count() > 0);
    PushButton3->setEnabled(List2->count() > 0);
}

} // namespace wizard
