// Moving between the pages, and ending the program by closing one.
#include "WizardFixture.h"

#include "app/pages/ProgressBar.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace wizard {
namespace {

class NavigationTest : public WizardTest {
protected:
    // Page 3 shown with the field chosen, as page 2's Next and a move leave it.
    Form3& OnPage3With(const QString& field) {
        wizard->Start();
        Form3& page = wizard->Form3();
        page.List1->addItems({"ID", field, "Notes"});
        page.List1->setCurrentRow(1);
        emit page.List1->itemDoubleClicked(page.List1->item(1));
        page.Show();
        wizard->Form1().Hide();
        return page;
    }
};

TEST_F(NavigationTest, BackFromPage2ShowsPage1WithItsBoxesAsTheyWere) {
    wizard->Start();
    wizard->Form1().Text1->setText("/data/shop.mdb");
    wizard->Form2().Show();
    wizard->Form1().Hide();
    EXPECT_FALSE(wizard->Form1().isVisible());

    wizard->Form2().PushButton2->click();
    EXPECT_TRUE(wizard->Form1().isVisible());
    EXPECT_FALSE(wizard->Form2().isVisible());
    EXPECT_EQ(wizard->Form1().Text1->text(), "/data/shop.mdb");
}

TEST_F(NavigationTest, NextOnPage3BackQuotesTheFieldAndShowsPage4) {
    Form3& page = OnPage3With("Post Code");
    page.PushButton3->click();
    EXPECT_EQ(Globals::SelectedFields, "`Post Code`");
    EXPECT_TRUE(wizard->Form4().isVisible());
    EXPECT_FALSE(page.isVisible());
    EXPECT_EQ(wizard->Form4().Caption(), "Fendrel");

    // Back, and Next again with another field: the value is built afresh.
    page.Show();
    page.List2->setCurrentRow(0);
    page.PushButton7->click();
    page.List1->setCurrentRow(0);
    page.PushButton5->click();
    ASSERT_EQ(page.List2->count(), 1);
    page.PushButton3->click();
    EXPECT_EQ(Globals::SelectedFields, "`ID`");
    EXPECT_EQ(Globals::SelectedFields.size(), 4);
}

TEST_F(NavigationTest, BackFromPage3ShowsPage2) {
    Form3& page = OnPage3With("City");
    page.PushButton2->click();
    EXPECT_TRUE(wizard->Form2().isVisible());
    EXPECT_FALSE(page.isVisible());
    EXPECT_EQ(page.List2->item(0)->text(), "City"); // kept until page 2's Next prepares it again
}

TEST_F(NavigationTest, BackFromPage4ShowsPage2AndKeepsTheChoices) {
    Form3& fields = OnPage3With("City");
    fields.PushButton3->click();
    Form4& page = wizard->Form4();
    EXPECT_TRUE(page.Option1->isChecked());
    EXPECT_TRUE(page.Text1->text().isEmpty());
    EXPECT_EQ(page.Text2->text(), "SPLITCOLUMN");
    EXPECT_EQ(page.PushButton4->text(), "Finish");
    EXPECT_EQ(page.ProgressBar1->Text(), "Progress Bar");
    EXPECT_EQ(page.ProgressBar1->value(), 0);

    page.Option4->setChecked(true);
    page.Text1->setText(";");
    page.Text2->setText("PART");
    page.PushButton4->setText("Exit");
    page.PushButton2->click();
    EXPECT_TRUE(wizard->Form2().isVisible());
    EXPECT_FALSE(fields.isVisible());
    EXPECT_FALSE(page.isVisible());
    EXPECT_EQ(page.PushButton4->text(), "Finish");
    EXPECT_EQ(page.ProgressBar1->Text(), "ProgressBar");

    fields.Show();
    fields.PushButton3->click();
    EXPECT_TRUE(page.Option4->isChecked());
    EXPECT_EQ(page.Text1->text(), ";");
    EXPECT_EQ(page.Text2->text(), "PART");
}

TEST_F(NavigationTest, ClosingAnyPageEndsTheProgram) {
    wizard->Start();
    wizard->Form1().close();
    EXPECT_EQ(platform.runtime.ends, 1);
    wizard->Form3().Show();
    wizard->Form3().close();
    EXPECT_EQ(platform.runtime.ends, 2);
    wizard->Form2().Show();
    wizard->Form2().close();
    wizard->Form4().Show();
    wizard->Form4().close();
    EXPECT_EQ(platform.runtime.ends, 4);
}

TEST_F(NavigationTest, NextsThatNeedTheDatabaseDoNothingYet) {
    wizard->Start();
    wizard->Form1().Text1->setText(folder.filePath("missing.mdb"));
    wizard->Form1().PushButton3->click();
    EXPECT_TRUE(wizard->Form1().isVisible());
    EXPECT_TRUE(platform.messages.shown.isEmpty());
}

} // namespace
} // namespace wizard
