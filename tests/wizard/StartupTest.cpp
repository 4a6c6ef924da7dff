// Page 1's load: the start-up steps that need no database.
#include "WizardFixture.h"

#include "app/helpers/SetAppTitle.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace wizard {
namespace {

using StartupTest = WizardTest;

TEST_F(StartupTest, FirstRunWithNothingStoredShowsAnEmptyPage1AndWritesNothing) {
    wizard->Start();
    Form1& page = wizard->Form1();
    EXPECT_TRUE(page.isVisible());
    EXPECT_TRUE(page.Text1->text().isEmpty());
    EXPECT_TRUE(page.Text2->text().isEmpty());
    EXPECT_FALSE(QFile::exists(SettingsFile()));
    EXPECT_EQ(page.Caption(), "Fendrel");
    EXPECT_FALSE(page.windowIcon().isNull());
    EXPECT_EQ(app::AppTitle(), "Fendrel");
    EXPECT_FALSE(page.HasMouseIcon());
    EXPECT_EQ(page.palette().color(QPalette::Window), QColor(Qt::white)); // no skin
    EXPECT_TRUE(platform.messages.shown.isEmpty());
    EXPECT_EQ(platform.runtime.ends, 0);
}

TEST_F(StartupTest, StoredPathAndPasswordComeBackExactly) {
    Stored("Database", "  /data/My Shop, 2021.mdb  ");
    Stored("Password", " p@ss word ");
    wizard->Start();
    EXPECT_EQ(wizard->Form1().Text1->text(), "  /data/My Shop, 2021.mdb  ");
    EXPECT_EQ(wizard->Form1().Text2->text(), " p@ss word ");
    EXPECT_TRUE(wizard->Form1().isVisible()); // the file does not exist: no move
    EXPECT_TRUE(platform.messages.shown.isEmpty());
}

TEST_F(StartupTest, SkinBesideTheProgramColoursPage1) {
    Beside("x/o.cjs", "QPushButton { font-weight: bold; }");
    wizard->Start();
    const QColor face = QApplication::palette().color(QPalette::Button);
    EXPECT_EQ(wizard->Form1().palette().color(QPalette::Window), face);
    EXPECT_EQ(wizard->Form1().lblPassword->palette().color(QPalette::Window), face);
    EXPECT_EQ(qApp->styleSheet(), "QPushButton { font-weight: bold; }");
}

TEST_F(StartupTest, AFailingStepIsReportedAndTheStartUpGoesOn) {
    Beside("HAND-M.CUR", "garbage");
    Stored("Database", "/data/shop.mdb");
    wizard->Start();
    ASSERT_EQ(platform.messages.shown.size(), 1);
    EXPECT_EQ(platform.messages.shown[0].title, "Application Error");
    EXPECT_TRUE(Messages()[0].contains("\r\nin Tolvane2021/08/31.Form1.Form_Load at line 126\r\r"));
    EXPECT_EQ(wizard->Form1().Text1->text(), "/data/shop.mdb");
    EXPECT_TRUE(wizard->Form1().isVisible());
}

TEST_F(StartupTest, RunsOnceAlsoWhenPage1IsShownAgain) {
    wizard->Start();
    Stored("Database", "/changed/behind/its/back.mdb");
    wizard->Form2().Show();
    wizard->Form1().Hide();
    wizard->Form2().PushButton2->click();
    EXPECT_TRUE(wizard->Form1().isVisible());
    EXPECT_TRUE(wizard->Form1().Text1->text().isEmpty());
}

} // namespace
} // namespace wizard
