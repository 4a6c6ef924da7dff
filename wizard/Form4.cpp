#include "wizard/Form4.h"

#include "app/Globals.h"
#include "app/grid/DataSource.h"
#include "app/pages/Controls.h"
#include "app/pages/ProgressBar.h"
#include "app/pages/Twips.h"
#include "app/ui/MessageBox.h"
#include "app/ui/Runtime.h"
#include "db/Access.h"
#include "split/Source.h"
#include "wizard/FinishLines.h"
#include "wizard/Form1.h"
#include "wizard/Form2.h"
#include "wizard/PlanModel.h"
#include "wizard/PlanPreview.h"
#include "wizard/PlanSummary.h"
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

// The page is taller than the original's 4725 twips. Below the progress bar, before a split: the
// plan in words and the preview grid under it; after a split: where the backup is, and the table
// with the undo button beside it.
Form4::Form4(Wizard& wizard) : Page(QStringLiteral("Form4"), 8040, 7935), wizard_(wizard) {
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
    PlanLine = app::Label(this, "PlanLine", QString(), Place{360, 4800, 7560, 900});
    PlanLine->setWordWrap(true);
    PlanLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlanLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    PreviewGrid = app::DataGrid(this, "PreviewGrid", Place{360, 5760, 5655, 2055});
    previewRows_ = new PlanModel(PreviewGrid);
    PreviewGrid->setModel(previewRows_);
    DataGrid1 = app::DataGrid(this, "DataGrid1", Place{360, 5760, 5655, 2055});
    DataGrid1->hide();
    // Names for screen readers: the separator's box by its option, the label's box by its question,
    // the grid by what it shows. The keyboard goes through the page as it reads, top to bottom.
    Text1->setAccessibleName(QStringLiteral("Other separator"));
    Text2->setAccessibleName(Frame2->title());
    PlanLine->setAccessibleName(QStringLiteral("Plan"));
    PreviewGrid->setAccessibleName(QStringLiteral("Preview"));
    DataGrid1->setAccessibleName(QStringLiteral("Result"));
    UndoButton = app::PushButton(this, "UndoButton", QStringLiteral("Undo"), Place{6120, 5760, 1800, 405});
    UndoButton->hide();
    // After a split, where the plan was: where the backup is (the plan is what was done).
    BackupLine = app::Label(this, "BackupLine", QString(), Place{360, 4800, 7560, 900});
    BackupLine->hide();
    BackupLine->setWordWrap(true);
    BackupLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    BackupLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    BackupLine->setAccessibleName(QStringLiteral("Backup"));
    SetTabOrder({PushButton2, Option1, Option2, Option3, Option5, Option4, Text1, Text2, PushButton4, PreviewGrid,
                 DataGrid1, UndoButton});

    Pointer()->HandOver({PushButton2, PushButton4, UndoButton});
    Pointer()->ArrowOver({this, Text1, Frame1, Frame2});

    connect(PushButton2, &QPushButton::clicked, this, &Form4::PushButton2_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form4::PushButton4_Click);
    connect(UndoButton, &QPushButton::clicked, this, &Form4::UndoButton_Click);

    // The preview follows every change of separator and label.
    preview_ = new PlanPreview(this);
    for (QRadioButton* option : {Option1, Option2, Option3, Option4, Option5})
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on) FollowPreview();
        });
    connect(Text1, &QLineEdit::textChanged, this, &Form4::FollowPreview);
    connect(Text2, &QLineEdit::textChanged, this, &Form4::FollowPreview);
    connect(preview_, &PlanPreview::Reading, this, [this] {
        previewRows_->SetPlan(nullptr);
        PlanLine->setText(QStringLiteral("Reading the values of the field..."));
    });
    connect(preview_, &PlanPreview::Planned, this, [this](std::shared_ptr<const split::Plan> plan) {
        PlanLine->setText(PlanSummary(*plan));
        previewRows_->SetPlan(std::move(plan));
    });
    connect(preview_, &PlanPreview::Failed, this, [this](const QString& why) {
        previewRows_->SetPlan(nullptr);
        PlanLine->setText(QStringLiteral("The field's values could not be read: ") + why);
    });
}

void Form4::showEvent(QShowEvent* event) {
    Page::showEvent(event);
    if (!Previewing()) return;
    ShowPreview(true);
    FollowPreview();
}

// The preview has a place while a split could still be made: neither during one nor after one
// that completed.
bool Form4::Previewing() const {
    return !running_ && PushButton4->text() != QStringLiteral("Exit");
}

void Form4::FollowPreview() {
    if (isVisible() && Previewing()) preview_->Follow(ChosenInputs());
}

bool Form4::PreviewReady() const {
    return preview_->Ready();
}

const split::Plan* Form4::PreviewedPlan() const {
    return previewRows_->CurrentPlan();
}

split::Inputs Form4::ChosenInputs() const {
    split::Inputs inputs;
    inputs.connectionString = Access::BuildConnectionString();
    inputs.table = Globals::SelectedTable.toStdString();
    inputs.fieldReference = Globals::SelectedFields.toStdString();
    inputs.separator = ChosenSeparator();
    inputs.label = Text2->text().toStdString();
    return inputs;
}

// The table after a split starts at its new columns (at the field split, when it comes just before
// them), as many as the grid has room for, wherever they are among the table's columns.
void Form4::ScrollToTheSplit(const split::Plan& plan) {
    const QAbstractItemModel* rows = DataGrid1->model();
    if (!rows || rows->rowCount() == 0 || plan.columns.empty() || !plan.source) return;
    const auto columnNamed = [rows](const std::string& name) {
        for (int c = 0; c < rows->columnCount(); ++c)
            if (rows->headerData(c, Qt::Horizontal).toString() == QString::fromStdString(name)) return c;
        return -1;
    };
    const int firstNew = columnNamed(plan.columns.front().name);
    if (firstNew < 0) return;
    const int field = columnNamed(plan.source->field);
    // Scrolled to the end first, the column to start at then comes in from the left.
    DataGrid1->scrollTo(rows->index(0, rows->columnCount() - 1));
    DataGrid1->scrollTo(rows->index(0, field == firstNew - 1 ? field : firstNew));
}

void Form4::ShowPreview(bool preview) {
    PlanLine->setVisible(preview);
    PreviewGrid->setVisible(preview);
    BackupLine->setVisible(!preview);
    DataGrid1->setVisible(!preview);
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
    preview_->Stop();
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
    trap.Line(114, [&] { inputs = ChosenInputs(); });
    HoldControls(true);
    // Nothing of the preview reads the file while the split changes it, nor holds its values
    // beside the split's own.
    preview_->Stop();
    preview_->Forget();
    FinishObserver observer(*this);
    const split::Result result = split::Run(inputs, observer, split::Mode::Split, Safeguards());
    HoldControls(false);
    if (endAfterRun_) {
        app::End();
        return;
    }
    if (result.table) {
        trap.Line(254, [&] { app::SetDataSource(*DataGrid1, result.table); });
        ShowPreview(false);
        if (result.plan) ScrollToTheSplit(*result.plan);
    }
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
    FollowPreview();
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
    BackupLine->setToolTip(QString());
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
        const QString where = QString::fromStdString(backup_->path);
        BackupLine->setText(QStringLiteral("The database as it was before the split is kept in ") + where);
        BackupLine->setToolTip(where);
        return true;
    } catch (const std::exception& e) {
        const bool without =
            app::MsgBox(QStringLiteral("No backup of the database could be kept (") + QString::fromStdString(e.what()) +
                            QStringLiteral(").\r\n\r\nSplit without a backup? The split could then not be undone."),
                        app::vbYesNo | app::vbExclamation) == app::vbYes;
        if (without) BackupLine->setText(QStringLiteral("No backup was kept: the split cannot be undone."));
        return without;
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
    preview_->Forget();
    ShowPreview(true);
    FollowPreview();
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
