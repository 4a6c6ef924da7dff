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
#include "wizard/Form2.h"
#include "wizard/Wizard.h"

#include <QElapsedTimer>

#include <QGroupBox>
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
    // Names for screen readers: the separator's box by its option, the label's box by its question,
    // the grid by what it shows. The keyboard goes through the page as it reads, top to bottom; the
    // grid lies below the page, out of sight, and takes no focus.
    Text1->setAccessibleName(QStringLiteral("Other separator"));
    Text2->setAccessibleName(Frame2->title());
    DataGrid1->setAccessibleName(QStringLiteral("Table after the split"));
    DataGrid1->setFocusPolicy(Qt::NoFocus);
    SetTabOrder({PushButton2, Option1, Option2, Option3, Option5, Option4, Text1, Text2, PushButton4});

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
    const split::Result result = split::Run(inputs, observer);
    HoldControls(false);
    if (endAfterRun_) {
        app::End();
        return;
    }
    if (result.table) trap.Line(254, [&] { app::SetDataSource(*DataGrid1, result.table); });
    if (result.outcome == split::Outcome::Completed)
        trap.Line(256, [&] { PushButton4->setText(QStringLiteral("Exit")); });
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

void Form4::HoldControls(bool hold) {
    running_ = hold;
    for (QWidget* control : std::initializer_list<QWidget*>{PushButton2, PushButton4, Option1, Option2, Option3,
                                                            Option4, Option5, Text1, Text2})
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
