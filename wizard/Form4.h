#pragma once
// Page 4, the split options: the separator, the label of the new fields, and Finish.

#include "app/pages/Page.h"
#include "split/Run.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace app {
class ProgressBar;
}

namespace wizard {

class Wizard;

class Form4 : public app::Page {
    Q_OBJECT
public:
    explicit Form4(Wizard& wizard);

    QPushButton* PushButton2;
    QGroupBox* Frame1;
    QRadioButton* Option1; // "Space"
    QRadioButton* Option2; // "Comma"
    QRadioButton* Option3; // "Comma-Space"
    QRadioButton* Option5; // "Line Break (Enter)"
    QRadioButton* Option4; // "Other:"
    QLineEdit* Text1;      // the separator after "Other:"
    QGroupBox* Frame2;
    QLineEdit* Text2; // the label of the new fields
    QPushButton* PushButton4;
    app::ProgressBar* ProgressBar1;
    QTableView* DataGrid1; // the table after a run; it lies below the page and is not seen

    void PushButton2_Click(); // "< Back"
    void PushButton4_Click(); // "Finish", later "Exit"

    // True while Finish runs the split.
    bool SplitRunning() const { return running_; }

protected:
    void Form_Load() override;
    // Closing the page ends the program; during a split it first lets the statement in hand finish,
    // so that everything executed is in the file.
    void Form_Unload() override;

private:
    friend class FinishObserver;
    // The separator as the option buttons and the "Other:" box give it.
    split::Separator ChosenSeparator() const;
    // Holds the page's controls while the split runs.
    void HoldControls(bool hold);

    Wizard& wizard_;
    bool running_ = false;
    bool endAfterRun_ = false;
};

} // namespace wizard
