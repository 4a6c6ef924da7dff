#pragma once
// Page 4, the split options: the separator, the label of the new fields, and Finish.

#include "app/pages/Page.h"
#include "split/Backup.h"
#include "split/Run.h"

#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace app {
class ProgressBar;
}

namespace wizard {

class PlanModel;
class PlanPreview;
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
    // Before Finish: the plan for the separator and label as they are, in words ("Plan") and as
    // the first records with their pieces ("Preview"), following every change.
    QLabel* PlanLine;
    QTableView* PreviewGrid;
    QTableView* DataGrid1; // the table after a run ("Result"), where the preview was
    // Beside the grid: undo of the last split (shown once a split kept a backup).
    QPushButton* UndoButton;
    // After a run, where the plan was: where the backup is ("Backup").
    QLabel* BackupLine;

    void PushButton2_Click(); // "< Back"
    void PushButton4_Click(); // "Finish", later "Exit"
    void UndoButton_Click();  // "Undo": the backup put back, the page as before Finish

    // True while Finish runs the split.
    bool SplitRunning() const { return running_; }
    // True when the preview shows the plan for the page's separator and label as they are.
    bool PreviewReady() const;
    const split::Plan* PreviewedPlan() const;

protected:
    void Form_Load() override;
    // Each time the page shows, the preview follows the table and field chosen on the pages before.
    void showEvent(QShowEvent* event) override;
    // Closing the page ends the program; during a split it first lets the statement in hand finish,
    // so that everything executed is in the file.
    void Form_Unload() override;

private:
    friend class FinishObserver;
    // The separator as the option buttons and the "Other:" box give it.
    split::Separator ChosenSeparator() const;
    // Holds the page's controls while the split runs.
    void HoldControls(bool hold);
    // The split's safeguards: replacing values confirmed, a backup kept (or going on without one).
    split::Safeguards Safeguards();
    bool BeforeChange(const split::Plan& plan);
    bool Previewing() const;
    // Asks the preview for the plan of the page's inputs as they are.
    void FollowPreview();
    split::Inputs ChosenInputs() const;
    // The preview where the result was, or the result where the preview was.
    void ShowPreview(bool preview);
    void ScrollToTheSplit(const split::Plan& plan);

    Wizard& wizard_;
    bool running_ = false;
    bool endAfterRun_ = false;
    std::optional<split::BackupInfo> backup_; // kept before the last split
    PlanPreview* preview_;
    PlanModel* previewRows_;
};

} // namespace wizard
