// Start-up with the data layer: the engine check, and the jump to page 2 when the remembered
// database exists.
#include "Databases.h"
#include "WizardFixture.h"

#include "app/ODBCProvider.h"
#include "db/Error.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace wizard {
namespace {

class EngineStartupTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        ASSERT_TRUE(data.isValid());
    }
    QTemporaryDir data;
};

TEST_F(EngineStartupTest, ARememberedDatabaseOpensOnPage2WithTheFirstTableSelected) {
    Stored("Database", wizardtest::MakeShop(data.path(), "locked.mdb", "pw"));
    Stored("Password", "pw");
    wizard->Start();
    EXPECT_TRUE(platform.messages.shown.isEmpty()) << Messages().join("\n").toStdString();
    EXPECT_TRUE(wizard->Form2().isVisible());
    EXPECT_FALSE(wizard->Form1().isVisible());
    EXPECT_EQ(wizard->Form2().List1->count(), 2);
    EXPECT_EQ(wizard->Form2().List1->currentRow(), 0);
    EXPECT_EQ(platform.data.created, QStringList({"ADODB.Connection"}));

    wizard->Form2().PushButton2->click();
    EXPECT_TRUE(wizard->Form1().isVisible());
    EXPECT_EQ(wizard->Form1().Text2->text(), "pw");
}

TEST_F(EngineStartupTest, AWrongRememberedPasswordGivesOneBoxThenPage1) {
    const QString path = wizardtest::MakeShop(data.path(), "locked.mdb", "right");
    Stored("Database", path);
    Stored("Password", "wrong");
    wizard->Start();
    ASSERT_EQ(platform.messages.shown.size(), 1);
    EXPECT_EQ(platform.messages.shown[0].title, "Application Error");
    EXPECT_TRUE(Messages()[0].contains("in Tolvane2021/08/31.Form1.PushButton3_Click at line 100\r\r"));
    EXPECT_TRUE(wizard->Form1().isVisible());
    EXPECT_EQ(wizard->Form1().Text1->text(), path);
    EXPECT_EQ(wizard->Form1().Text2->text(), "wrong");
}

TEST_F(EngineStartupTest, ARememberedFileThatIsGoneLeavesPage1WithoutAMessage) {
    Stored("Database", data.filePath("gone.accdb"));
    wizard->Start();
    EXPECT_TRUE(platform.messages.shown.isEmpty());
    EXPECT_TRUE(wizard->Form1().isVisible());
    EXPECT_EQ(platform.runtime.ends, 0);
}

TEST_F(EngineStartupTest, NoProviderTellsWhyOpensBothPagesOnYesAndEnds) {
    Stored("Database", wizardtest::MakeShop(data.path()));
    platform.data.failure = {db::ErrorNumber::ProviderNotFound, "Provider cannot be found."};
    platform.messages.answer = app::vbYes;
    wizard->Start();
    ASSERT_EQ(platform.messages.shown.size(), 1);
    EXPECT_EQ(platform.messages.shown[0].style, 4);
    EXPECT_EQ(platform.messages.shown[0].title, "Fendrel");
    const QStringList paragraphs = Messages()[0].split("\r\n\r\n");
    ASSERT_EQ(paragraphs.size(), 7);
    EXPECT_EQ(paragraphs[0], "Error #3706: Provider cannot be found. It may not be properly installed.");
    EXPECT_TRUE(paragraphs[6].endsWith("@marquell.example)"));
    EXPECT_FALSE(Messages()[0].contains("\r\n\r\n\r\n"));
    ASSERT_EQ(platform.web.opened.size(), 2);
    EXPECT_EQ(platform.web.opened[0].query(), "id=13255");
    EXPECT_EQ(platform.web.opened[1].query(), "id=54920");
    EXPECT_EQ(platform.web.opened[0].scheme(), "https");
    EXPECT_EQ(platform.web.opened[1].path(), "/en-us/download/details.aspx");
    EXPECT_EQ(platform.runtime.ends, 1);
    // The program ended before the remembered database was opened.
    EXPECT_FALSE(wizard->Form2().isVisible());
}

TEST_F(EngineStartupTest, NoOpensNothingAndAnyOtherFailureEndsSilently) {
    platform.data.failure = {12345, "Some PROVIDER CANNOT BE FOUND here"};
    platform.messages.answer = app::vbNo;
    EXPECT_FALSE(app::CheckDatabaseEngine());
    EXPECT_EQ(platform.messages.shown.size(), 1);
    EXPECT_TRUE(platform.web.opened.isEmpty());

    platform.messages.shown.clear();
    platform.data.failure = {db::CantCreateObject, "ActiveX component can't create object"};
    wizard->Start();
    EXPECT_TRUE(platform.messages.shown.isEmpty());
    EXPECT_EQ(platform.runtime.ends, 1);

    platform.data.failure.reset();
    EXPECT_TRUE(app::CheckDatabaseEngine());
}

} // namespace
} // namespace wizard
