#include "wizard/Form2.h"

#include "app/Globals.h"
#include "app/errors/Failure.h"
#include "app/grid/DataSource.h"
#include "app/helpers/RemoveMatchingItems.h"
#include "app/pages/Controls.h"
#include "app/pages/ListIndex.h"
#include "app/ui/DataObjects.h"
#include "app/ui/MessageBox.h"
#include "app/ui/Runtime.h"
#include "db/Access.h"
#include "db/CreateObject.h"
#include "db/RecordSet.h"
#include "wizard/Form1.h"
#include "wizard/Form3.h"
#include "wizard/Wizard.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>

#include <memory>

namespace wizard {

namespace {

// An object that was never made, as the statements after a failed creation meet it.
template <class T> T& Made(const std::unique_ptr<T>& object) {
    if (!object) throw app::Failure(QStringLiteral("Object variable or With block variable not set"));
    return *object;
}

} // namespace

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
    // The list is named by the question it answers, for screen readers.
    List1->setAccessibleName(Frame1->title());
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

// Next: records the chosen table and prepares page 3 from it: its field list, its buttons and the
// read-only preview of the whole table, which reads its rows only as the grid shows them. A file
// that cannot be written is opened for reading, so it can still be looked at; the split refuses it.
void Form2::PushButton3_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton3_Click"));
    std::unique_ptr<ADODB::Connection> connection;
    std::unique_ptr<ADODB::RecordSet> records;
    trap.Line(100, [&] { connection = app::CreateConnection("ADODB.Connection"); });
    trap.Line(102, [&] { records = db::CreateRecordSet("ADODB.RecordSet"); });
    if (trap.If(106, [&] { return app::ListIndex(*List1) == -1; })) {
        trap.Line(172, [&] { app::MsgBox(QStringLiteral("Please select a table")); });
        return;
    }
    trap.Line(108, [&] { SetMousePointer(app::vbHourglass); });
    trap.Line(110, [&] {
        Made(connection).Mode = Access::DatabaseIsWritable() ? ADODB::adModeReadWrite : ADODB::adModeRead;
    });
    trap.Line(112, [&] { Made(connection).Open(Access::BuildConnectionString()); });
    if (trap.If(114, [&] { return Globals::SelectedTable != List1->item(app::ListIndex(*List1))->text(); }))
        trap.Line(116, [&] { wizard_.Form3().List2->clear(); });
    trap.Line(118, [&] { Globals::SelectedTable = List1->item(app::ListIndex(*List1))->text(); });
    trap.Line(120, [&] { wizard_.Form3().Show(); });
    trap.Line(122, [&] { wizard_.Form3().List1->clear(); });
    trap.Line(124, [&] { app::SetDataSource(*wizard_.Form3().DataGrid1, nullptr); });
    trap.Line(126, [&] { Made(connection).CursorLocation = ADODB::adUseClient; });
    trap.Line(128, [&] {
        Made(records).Open("SELECT * FROM [" + Globals::SelectedTable.toStdString() + "];", Made(connection),
                           ADODB::adOpenUnspecified, ADODB::adLockReadOnly);
    });
    trap.Line(130, [&] { app::SetDataSource(*wizard_.Form3().DataGrid1, Made(records).DataSource()); });
    int count = 0;
    trap.Line(132, [&] { count = Made(records).Fields().count(); });
    for (int i = 0; i < count; ++i) {
        trap.Line(134, [&] { app::DoEvents(); });
        trap.Line(136, [&] {
            wizard_.Form3().List1->addItem(QString::fromStdString(Made(records).Fields()(i).Name()));
        });
    }
    trap.Line(146, [&] { wizard_.Form3().PushButton5->setEnabled(wizard_.Form3().List1->count() > 0); });
    trap.Line(152, [&] {
        const bool chosen = wizard_.Form3().List2->count() > 0;
        wizard_.Form3().PushButton7->setEnabled(chosen);
        wizard_.Form3().PushButton3->setEnabled(chosen);
    });
    if (trap.If(162, [&] { return wizard_.Form3().List1->count() > 0; }))
        trap.Line(162, [&] { app::SetListIndex(*wizard_.Form3().List1, 0); });
    trap.Line(164, [&] { wizard_.Form3().DataGrid1->setFocus(); });
    trap.Line(166, [&] { app::RemoveMatchingItems(*wizard_.Form3().List1, *wizard_.Form3().List2); });
    trap.Line(168, [&] { Hide(); });
    trap.Line(170, [&] { SetMousePointer(app::vbDefault); });
}

} // namespace wizard
