#include "wizard/Form4.h"

#include "app/Globals.h"
#include "app/grid/DataSource.h"
#include "app/pages/Controls.h"
#include "app/pages/ProgressBar.h"
#include "app/pages/Twips.h"
#include "app/ui/MessageBox.h"
#include "app/ui/Runtime.h"
#include "db/Access.h"
#include "wizard/FinishLines.h"
#include "wizard/Form1.h"
#include "wizard/Form2.h"
#include "wizard/Wizard.h"

#include <QElapsedTimer>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

namespace wizard {

// The split's observer on page 4. Yielding to the window system and repainting the progress bar
// cost far more than a statement, so the run's yields reach the window system only every few
// milliseconds, and the progress bar shows the latest value and statement then.
class FinishObserver final : public split::Observer {
public:
    explicit FinishObserver(Form4& page) : page_(page) {}

    void onProgress(const split::Progress& progress) override {
        value_ = progress.value;
        changed_ = true;
    }
    void onStatement(const std::string& text) override {
        statement_.assign(text);
        changed_ = true;
    }
    void onFailure(const split::Failure& failure) override {
        Show();
        app::MsgBox(app::ErrorMessageText(QString::fromStdString(failure.description),
                                          app::LocationText(page_.FormName(), QStringLiteral("PushButton4_Click")),
                                          FinishLine(failure.step)),
                    app::vbExclamation | app::vbOKOnly, QStringLiteral("Application Error"));
    }
    bool onYield() override {
        if (page_.endAfterRun_) return false;
        // The clock is read once in a while: most yields cost a count only.
        if (++yields_ % CheckEvery != 1) return true;
        if (clock_.isValid() && clock_.elapsed() < YieldEveryMs) return true;
        Show();
        app::DoEvents();
        clock_.start();
        return !page_.endAfterRun_;
    }
    void onEnd(const split::Result&) override { Show(); }

private:
    static constexpr long CheckEvery = 32;
    static constexpr qint64 YieldEveryMs = 15;

    void Show() {
        if (!changed_) return;
        changed_ = false;
        page_.ProgressBar1->setValue(value_);
        page_.ProgressBar1->SetText(QString::fromStdString(statement_));
    }

    Form4& page_;
    QElapsedTimer clock_;
    long yields_ = 0;
    int value_ = 0;
    std::string statement_;
    bool changed_ = false;
};

// The page is taller than the original's 4725 twips: the grid below the progress bar shows the
// table after a split, with the undo button and the backup's place beside it.
Form4::Form4(Wizard& wizard) : Page(QStringLiteral("Form4"), 8040, 7095), wizard_(wizard) {
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
    // Names for screen readers: the separator's box by its option, the label's box by its question,
    // the grid by what it shows. The keyboard goes through the page as it reads, top to bottom.
    Text1->setAccessibleName(QStringLiteral("Other separator"));
    Text2->setAccessibleName(Frame2->title());
    DataGrid1->setAccessibleName(QStringLiteral("Result"));
    UndoButton = app::PushButton(this, "UndoButton", QStringLiteral("Undo"), Place{6120, 4920, 1800, 405});
    UndoButton->hide();
    BackupLine = app::Label(this, "BackupLine", QString(), Place{6120, 5400, 1800, 1575});
    BackupLine->setWordWrap(true);
    BackupLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    BackupLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    BackupLine->setAccessibleName(QStringLiteral("Backup"));
    SetTabOrder({PushButton2, Option1, Option2, Option3, Option5, Option4, Text1, Text2, PushButton4, DataGrid1,
                 UndoButton});

    Pointer()->HandOver({PushButton2, PushButton4, UndoButton});
    Pointer()->ArrowOver({this, Text1, Frame1, Frame2});

    connect(PushButton2, &QPushButton::clicked, this, &Form4::PushButton2_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form4::PushButton4_Click);
    connect(UndoButton, &QPushButton::clicked, this, &Form4::UndoButton_Click);
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

// Finish: the split runs with this page as its observer, the page showing the hourglass, its
// controls held. A completed run turns the button into "Exit", which ends the program; after a run
// that was refused or could not read the table, the button stays "Finish" for another try.
void Form4::PushButton4_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton4_Click"));
    if (trap.If(108, [&] { return PushButton4->text() == QStringLiteral("Exit"); })) {
        trap.Line(110, [&] { app::End(); });
        return;
    }
    split::Inputs inputs;
    trap.Line(112, [&] { SetMousePointer(app::vbHourglass); });
    trap.Line(114, [&] {
        inputs.connectionString = Access::BuildConnectionString();
        inputs.table = Globals::SelectedTable.toStdString();
        inputs.fieldReference = Globals::SelectedFields.toStdString();
        inputs.separator = ChosenSeparator();
        inputs.label = Text2->text().toStdString();
    });
    HoldControls(true);
    FinishObserver observer(*this);
    const split::Result result = split::Run(inputs, observer, split::Mode::Split, Safeguards());
    HoldControls(false);
    if (endAfterRun_) {
        app::End();
        return;
    }
    if (result.table) trap.Line(254, [&] { app::SetDataSource(*DataGrid1, result.table); });
    if (result.outcome == split::Outcome::Completed)
        trap.Line(256, [&] { PushButton4->setText(QStringLiteral("Exit")); });
    UndoButton->setVisible(backup_ && result.outcome != split::Outcome::Declined);
    trap.Line(258, [&] {
        if (windowState() & Qt::WindowMinimized) setWindowState(windowState() & ~Qt::WindowMinimized);
    });
    trap.Line(260, [&] { SetMousePointer(app::vbDefault); });
    trap.Line(262, [&] {
        ProgressBar1->setValue(0);
        ProgressBar1->SetText(QStringLiteral("Progress Bar"));
    });
}

// The option buttons are tested in the order of their names, the first one set deciding; they are
// one group, so one of them always is.
split::Separator Form4::ChosenSeparator() const {
    if (Option1->isChecked()) return split::Separator::space();
    if (Option2->isChecked()) return split::Separator::comma();
    if (Option3->isChecked()) return split::Separator::commaSpace();
    if (Option4->isChecked()) return split::Separator::other(Text1->text().toStdString());
    if (Option5->isChecked()) return split::Separator::lineBreak();
    return split::Separator::space();
}

split::Safeguards Form4::Safeguards() {
    backup_.reset();
    BackupLine->clear();
    split::Safeguards s;
    s.beforeChange = [this](const split::Plan& plan) { return BeforeChange(plan); };
    s.afterChange = [this](const split::Result&) {
        if (!backup_) return;
        try {
            split::NoteAfterSplit(*backup_);
        } catch (const std::exception&) {
            // Undo then asks before it puts the backup back, as after a file changed since.
        }
    };
    return s;
}

// Before the first change: replacing values the user has not seen is asked first; a backup of the
// file is kept, or the user chooses to go on without one.
bool Form4::BeforeChange(const split::Plan& plan) {
    const auto replaced = plan.replacedWithValues();
    if (!replaced.empty()) {
        QString named;
        for (const split::PlannedColumn* c : replaced)
            named += QStringLiteral("\r\n") + QString::fromStdString(c->name) +
                     (c->valuesNow < 0 ? QString() : QStringLiteral(" (%1 values)").arg(c->valuesNow));
        if (app::MsgBox(QStringLiteral("These fields already hold values, which the split would replace:\r\n") +
                            named + QStringLiteral("\r\n\r\nReplace them?"),
                        app::vbYesNo | app::vbExclamation) != app::vbYes)
            return false;
    }
    const std::string path = wizard_.Form1().Text1->text().toStdString();
    try {
        // The copy's progress in the bar's text: its value is the updates' alone, rising once.
        ProgressBar1->SetText(QStringLiteral("Keeping a backup of the database..."));
        app::DoEvents();
        backup_ = split::MakeBackup(path, [this](std::uint64_t done, std::uint64_t total) {
            ProgressBar1->SetText(QStringLiteral("Keeping a backup of the database... %1%")
                                      .arg(total ? static_cast<int>(done * 100 / total) : 100));
            app::DoEvents();
        });
        BackupLine->setText(QStringLiteral("The database as it was is kept in ") +
                            QString::fromStdString(backup_->path));
        return true;
    } catch (const std::exception& e) {
        return app::MsgBox(QStringLiteral("No backup of the database could be kept (") +
                               QString::fromStdString(e.what()) +
                               QStringLiteral(").\r\n\r\nSplit without a backup? The split could then not be undone."),
                           app::vbYesNo | app::vbExclamation) == app::vbYes;
    }
}

// Undo: asked once, the backup put back whole (after a second question when the file changed after
// the split), and the page as it was before Finish.
void Form4::UndoButton_Click() {
    if (!backup_) return;
    if (app::MsgBox(QStringLiteral("Put back the database as it was before the split?"),
                    app::vbYesNo | app::vbExclamation) != app::vbYes)
        return;
    try {
        if (auto why = split::ChangedSinceSplit(*backup_)) {
            if (app::MsgBox(QString::fromStdString(*why) + QStringLiteral(".\r\n\r\nPut the backup back anyway?"),
                            app::vbYesNo | app::vbExclamation) != app::vbYes)
                return;
        }
        app::SetDataSource(*DataGrid1, nullptr);
        split::RestoreBackup(*backup_);
    } catch (const std::exception& e) {
        app::MsgBox(QStringLiteral("The split could not be undone: ") + QString::fromStdString(e.what()),
                    app::vbExclamation);
        return;
    }
    backup_.reset();
    UndoButton->hide();
    BackupLine->setText(QStringLiteral("The database is as it was before the split."));
    PushButton4->setText(QStringLiteral("Finish"));
}

void Form4::HoldControls(bool hold) {
    running_ = hold;
    for (QWidget* control : std::initializer_list<QWidget*>{PushButton2, PushButton4, Option1, Option2, Option3,
                                                            Option4, Option5, Text1, Text2, UndoButton})
        control->setEnabled(!hold);
    // Holding the button took the keyboard focus off it; it comes back to the button (now "Exit"), so
    // that Space ends the program as it started the run.
    if (!hold) PushButton4->setFocus();
}

void Form4::Form_Unload() {
    if (running_) {
        endAfterRun_ = true;
        return;
    }
    Page::Form_Unload();
}

} // namespace wizard
