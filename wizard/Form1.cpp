#include "wizard/Form1.h"

#include "app/ODBCProvider.h"
#include "app/ProductTitle.h"
#include "app/ProgramIcon.h"
#include "app/helpers/ApplySkin.h"
#include "app/helpers/FileExists.h"
#include "app/helpers/SampleDatabase.h"
#include "app/helpers/SetAppTitle.h"
#include "app/pages/AccessListBox.h"
#include "app/pages/Controls.h"
#include "app/settings/Settings.h"
#include "app/ui/Runtime.h"
#include "db/Access.h"
#include "wizard/Form2.h"
#include "wizard/Wizard.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <optional>
#include <string>
#include <vector>

namespace wizard {

namespace {

const QString DatabaseFilter =
    QStringLiteral("All Microsoft Databases (*.mdb,*.accdb)|*.*db|Microsoft Database (*.mdb)|*.mdb|"
                   "Microsoft 2007 Database (*.accdb)|*.accdb|");

} // namespace

Form1::Form1(Wizard& wizard) : Page(QStringLiteral("Form1"), 8040, 2085), wizard_(wizard) {
    using app::Place;
    // The design background is white until a skin gives the page the button-face colour.
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    Frame1 = app::Frame(this, "Frame1", QStringLiteral("Access Database"), Place{120, 120, 7800, 1335});
    Label5 = app::Label(Frame1, "Label5", QStringLiteral("MDB or ACCDB File:"), Place{240, 345, 1935, 255});
    Text1 = app::TextBox(Frame1, "Text1", Place{2280, 300, 4575, 345});
    PushButton5 = app::PushButton(Frame1, "PushButton5", QStringLiteral("..."), Place{6960, 300, 570, 345});
    lblPassword = app::Label(Frame1, "lblPassword", QStringLiteral("Password (if required):"),
                             Place{240, 840, 1950, 225});
    Text2 = app::TextBox(Frame1, "Text2", Place{2280, 800, 5265, 345});
    app::MaskWithStars(Text2);
    PushButton1 = app::PushButton(this, "PushButton1", QStringLiteral("Load Sample/Example Database"),
                                  Place{120, 1580, 3840, 405});
    PushButton3 =
        app::PushButton(this, "PushButton3", QStringLiteral("Next >"), Place{4080, 1575, 3840, 405});
    // Each box is named by its label, for screen readers and the label's mnemonic; the keyboard goes
    // through the page as it reads, top to bottom and left to right.
    Label5->setBuddy(Text1);
    lblPassword->setBuddy(Text2);
    SetTabOrder({Text1, PushButton5, Text2, PushButton1, PushButton3});

    Pointer()->HandOver({PushButton1, PushButton3, PushButton5});
    Pointer()->ArrowOver({this, Text1, Text2, Frame1});

    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    connect(Text2, &QLineEdit::textChanged, this, &Form1::Text2_Change);
    Text1->installEventFilter(this);
    Text2->installEventFilter(this);
}

// The start-up of the program.
void Form1::Form_Load() {
    app::ErrorTrap trap = Trap(QStringLiteral("Form_Load"));
    trap.Line(100, [&] { app::ApplySkin(*this); });
    trap.Line(106, [&] { SetCaption(app::ProductTitle); });
    trap.Line(106, [&] { setWindowIcon(app::ProgramIcon()); });
    trap.Line(106, [&] { app::SetAppTitle(); });
    LoadHandPointer(trap, 124, 126);
    trap.Line(128, [&] { Text1->setText(app::GetSetting(QStringLiteral("Database"))); });
    trap.Line(130, [&] { Text2->setText(app::GetSetting(QStringLiteral("Password"))); });
    bool engine = true;
    trap.Line(136, [&] { engine = app::CheckDatabaseEngine(); });
    if (!engine) {
        app::End();
        return;
    }
    if (trap.If(132, [&] { return app::FileExists(Text1->text()); }))
        trap.Line(134, [&] { PushButton3_Click(); });
}

// Sample database: its path beside the program goes into the path box, or the path of the user's
// own copy when the program's folder is not the user's to change.
void Form1::PushButton1_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton1_Click"));
    trap.Line(100, [&] { Text1->setText(app::SampleDatabase()); });
}

// Next: opens the database, lists its tables on page 2 and moves there. The first reading only
// tells whether the database can be read; the list is filled from a second one.
void Form1::PushButton3_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton3_Click"));
    std::optional<std::vector<std::string>> tables;
    trap.Line(100, [&] { tables = Access::ListTables(Text1->text().toStdString()); });
    if (trap.If(102, [&] { return !tables; })) {
        trap.Line(104, [&] { tables.reset(); });
        return;
    }
    trap.Line(106, [&] {
        app::AccessListBox list(*wizard_.Form2().List1);
        Access::FillTableList(list, Text1->text().toStdString(), Text2->text().toStdString());
    });
    trap.Line(108, [&] { wizard_.Form2().Show(); });
    trap.Line(110, [&] { Hide(); });
}

// Browse for the database file.
void Form1::PushButton5_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton5_Click"));
    trap.Line(100, [&] { CommonDialog1.FileName = QString(); });
    trap.Line(
        102, [&] { CommonDialog1.Flags = app::cdlOFNLongNames | app::cdlOFNExplorer | app::cdlOFNReadOnly; });
    trap.Line(104, [&] { CommonDialog1.DialogTitle = QStringLiteral("Select Access Database"); });
    trap.Line(106, [&] { CommonDialog1.Filter = DatabaseFilter; });
    trap.Line(108, [&] { CommonDialog1.ShowOpen(); });
    if (trap.If(110, [&] { return !CommonDialog1.FileName.isEmpty(); }))
        trap.Line(112, [&] { Text1->setText(CommonDialog1.FileName); });
}

void Form1::Text1_Change() {
    Guarded(QStringLiteral("Text1_Change"),
            [&] { app::SaveSetting(QStringLiteral("Database"), Text1->text()); });
}

void Form1::Text2_Change() {
    Guarded(QStringLiteral("Text2_Change"),
            [&] { app::SaveSetting(QStringLiteral("Password"), Text2->text()); });
}

void Form1::Text1_GotFocus() {
    Text1->selectAll();
}

void Form1::Text2_GotFocus() {
    Text2->selectAll();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == Text1)
            Text1_GotFocus();
        else if (watched == Text2)
            Text2_GotFocus();
    }
    return Page::eventFilter(watched, event);
}

} // namespace wizard
