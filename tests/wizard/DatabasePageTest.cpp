// Page 1's Next on real files: the tables listed on page 2, or one error box and page 1 kept.
#include "Databases.h"
#include "WizardFixture.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace wizard {
namespace {

class DatabasePageTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        ASSERT_TRUE(data.isValid());
        wizard->Start();
    }
    Form1& page() { return wizard->Form1(); }
    // Next on the path and password given; the error boxes it showed.
    QStringList NextOn(const QString& path, const QString& password = {}) {
        page().Text1->setText(path);
        page().Text2->setText(password);
        platform.messages.shown.clear();
        page().PushButton3->click();
        return Messages();
    }
    QStringList Tables() {
        QStringList names;
        for (int i = 0; i < wizard->Form2().List1->count(); ++i)
            names << wizard->Form2().List1->item(i)->text();
        return names;
    }
    QTemporaryDir data;
};

TEST_F(DatabasePageTest, NextListsTheTablesOnPage2WithTheFirstSelected) {
    const QString shop = wizardtest::MakeShop(data.path());
    EXPECT_TRUE(NextOn(shop).isEmpty());
    EXPECT_EQ(Tables(), QStringList({"People", "Orders"}));
    EXPECT_EQ(wizard->Form2().List1->currentRow(), 0);
    EXPECT_TRUE(wizard->Form2().List1->item(0)->isSelected());
    EXPECT_TRUE(wizard->Form2().isVisible());
    EXPECT_FALSE(page().isVisible());
    EXPECT_EQ(wizard->Form2().Caption(), "Fendrel");

    // Back, another database: the list is filled afresh.
    wizard->Form2().PushButton2->click();
    const QString other =
        wizardtest::MakeDatabase(data.path(), "other.accdb",
                                 {{"Stock", {{"Code", jet::ColumnType::Text, 10}}, {}}}, "", jet::Version::Ace12);
    EXPECT_TRUE(NextOn(other).isEmpty());
    EXPECT_EQ(Tables(), QStringList({"Stock"}));
}

TEST_F(DatabasePageTest, ADatabaseWithoutTablesShowsAnEmptyList) {
    const QString empty = wizardtest::MakeDatabase(data.path(), "empty.mdb", {});
    EXPECT_TRUE(NextOn(empty).isEmpty());
    EXPECT_TRUE(Tables().isEmpty());
    EXPECT_TRUE(wizard->Form2().isVisible());
}

TEST_F(DatabasePageTest, AnEmptyPathOrAMissingFileDoesNothing) {
    EXPECT_TRUE(NextOn("").isEmpty());
    EXPECT_TRUE(NextOn(data.filePath("gone.mdb")).isEmpty());
    EXPECT_TRUE(NextOn(data.path()).isEmpty()); // a folder is no file
    EXPECT_TRUE(page().isVisible());
    EXPECT_EQ(Setting("Database"), data.path());
}

TEST_F(DatabasePageTest, AWrongPasswordOrAFileThatIsNoDatabaseGivesOneBoxAndPage1Stays) {
    const QString locked = wizardtest::MakeShop(data.path(), "locked.mdb", "s3cret");
    QFile junk(data.filePath("notes.mdb"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();

    for (const auto& [path, password] :
         {std::pair{locked, QString("wrong")}, std::pair{locked, QString()}, std::pair{junk.fileName(), QString()}}) {
        SCOPED_TRACE(path.toStdString() + " / " + password.toStdString());
        const QStringList boxes = NextOn(path, password);
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_EQ(platform.messages.shown[0].title, "Application Error");
        EXPECT_EQ(platform.messages.shown[0].style, 48);
        EXPECT_TRUE(boxes[0].contains("\r\nin Tolvane2021/08/31.Form1.PushButton3_Click at line 100\r\r"));
        EXPECT_FALSE(boxes[0].startsWith("\r\n")) << "the engine's own description comes first";
        EXPECT_TRUE(page().isVisible());
        EXPECT_EQ(page().Text1->text(), path);
    }
    EXPECT_TRUE(NextOn(locked, "s3cret").isEmpty());
    EXPECT_EQ(Tables(), QStringList({"People", "Orders"}));
}

} // namespace
} // namespace wizard
