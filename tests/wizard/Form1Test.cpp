// Page 1's own handlers: the settings follow the boxes, browse, sample, focus.
#include "WizardFixture.h"

#include <QFileInfo>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>

namespace wizard {
namespace {

class Form1Test : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        wizard->Start();
    }
    Form1& page() { return wizard->Form1(); }
};

TEST_F(Form1Test, EveryKeystrokeIsStored) {
    QStringList stored;
    for (const char* key : {"p", "w", "d"}) {
        page().Text2->insert(key);
        stored << Setting("Password");
    }
    EXPECT_EQ(stored, QStringList({"p", "pw", "pwd"}));
    EXPECT_EQ(Setting("Database"), "<absent>");

    page().Text2->clear();
    EXPECT_EQ(Setting("Password"), "");
    page().Text1->setText(" /data/shop.mdb ");
    EXPECT_EQ(Setting("Database"), " /data/shop.mdb ");
}

TEST_F(Form1Test, ASettingThatCannotBeStoredIsReported) {
    ASSERT_TRUE(QDir().mkpath(SettingsFile())); // a folder where the file should be
    page().Text1->setText("/data/shop.mdb");
    ASSERT_EQ(platform.messages.shown.size(), 1);
    EXPECT_EQ(platform.messages.shown[0].title, "Application Error");
    EXPECT_TRUE(Messages()[0].contains("\r\nin Tolvane2021/08/31.Form1.Text1_Change at line 100\r\r"));
    EXPECT_EQ(page().Text1->text(), "/data/shop.mdb");
}

TEST_F(Form1Test, SampleButtonFillsInTheSampleBesideTheProgram) {
    page().Text2->setText("secret");
    page().PushButton1->click();
    const QString sample = QDir::toNativeSeparators(folder.filePath("Samples/sample.mdb"));
    EXPECT_EQ(page().Text1->text(), sample);
    EXPECT_EQ(Setting("Database"), sample);
    EXPECT_EQ(page().Text2->text(), "secret");
    EXPECT_TRUE(page().isVisible()); // no Next
}

TEST_F(Form1Test, AReadOnlySampleIsCopiedOnceForTheUserToChange) {
    Beside("Samples/sample.mdb", "the sample's bytes");
    const QString programs = folder.filePath("Samples/sample.mdb");
    ASSERT_TRUE(QFile::setPermissions(programs, QFileDevice::ReadOwner | QFileDevice::ReadGroup));

    page().PushButton1->click();
    const QString copy = QDir(config.path()).filePath("data/Fendrel/Samples/sample.mdb");
    EXPECT_TRUE(platform.messages.shown.isEmpty()) << Messages().join("\n").toStdString();
    EXPECT_EQ(page().Text1->text(), QDir::toNativeSeparators(copy));
    QFile made(copy);
    ASSERT_TRUE(made.open(QIODevice::ReadWrite)); // the user's to change
    EXPECT_EQ(made.readAll(), "the sample's bytes");
    EXPECT_TRUE(made.permissions() & QFileDevice::WriteOwner);

    // What a split made of the copy stays; the program's file is untouched.
    made.resize(0);
    made.write("changed by a split");
    made.close();
    page().Text1->clear();
    page().PushButton1->click();
    EXPECT_EQ(page().Text1->text(), QDir::toNativeSeparators(copy));
    QFile again(copy);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), "changed by a split");
    QFile original(programs);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(original.readAll(), "the sample's bytes");
    EXPECT_FALSE(QFileInfo::exists(copy + ".part"));
}

TEST_F(Form1Test, BrowseAsksForAnAccessDatabaseAndCancelKeepsThePath) {
    page().Text1->setText("/data/old.mdb");
    platform.files.chosen.clear();
    page().PushButton5->click();
    ASSERT_EQ(platform.files.requests.size(), 1);
    const app::OpenFileRequest& request = platform.files.requests[0];
    EXPECT_EQ(request.DialogTitle, "Select Access Database");
    EXPECT_EQ(request.Filter,
              "All Microsoft Databases (*.mdb,*.accdb)|*.*db|Microsoft Database (*.mdb)|*.mdb|"
              "Microsoft 2007 Database (*.accdb)|*.accdb|");
    EXPECT_TRUE(request.FileName.isEmpty());
    EXPECT_EQ(request.Flags, 0x280001);
    EXPECT_EQ(page().Text1->text(), "/data/old.mdb");

    platform.files.chosen = "/data/new.accdb";
    page().PushButton5->click();
    EXPECT_EQ(page().Text1->text(), "/data/new.accdb");
    EXPECT_EQ(Setting("Database"), "/data/new.accdb");
}

TEST_F(Form1Test, TakingTheFocusSelectsTheWholeText) {
    page().Text1->setText("/data/shop.mdb");
    page().Text1->deselect();
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(page().Text1, &focus);
    EXPECT_EQ(page().Text1->selectedText(), "/data/shop.mdb");
}

} // namespace
} // namespace wizard
