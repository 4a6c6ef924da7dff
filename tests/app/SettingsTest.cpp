#include "app/settings/Settings.h"
#include "app/testing/TestPlatform.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <filesystem>

namespace app {
namespace {

namespace fs = std::filesystem;

fs::perms Mode(const QString& path) {
    return fs::status(path.toStdString()).permissions() & fs::perms::mask;
}

// Every test writes into a fresh configuration folder of its own.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(config.isValid());
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    }

    TestPlatform platform;
    QTemporaryDir config;
};

TEST_F(SettingsTest, MissingKeysGiveTheDefaultAndWriteNothing) {
    EXPECT_EQ(GetSetting("Database"), QString());
    EXPECT_EQ(GetSetting("Password", "fallback"), "fallback");
    EXPECT_FALSE(QFile::exists(SettingsFile()));
}

TEST_F(SettingsTest, TextsComeBackExactly) {
    const QStringList texts = {
        "  /home/ann/My Data/shop.mdb  ", // blanks at both ends
        "a,b,c",                          // would read back as a list if not quoted
        "\"quoted\" and 'single'",
        "@Invalid()",
        "@ByteArray(x)",
        "x=y; #not a comment",
        "C:\\Data\\shop.accdb",
        "line one\nline two\r\n",
        "Grüße, Ørsted – 東京",
        "true",
        "",
        "\t",
    };
    for (const QString& text : texts) {
        SaveSetting("Password", text);
        EXPECT_EQ(GetSetting("Password", "absent"), text) << text.toStdString();
    }
}

TEST_F(SettingsTest, LivesUnderMarquellAndFendrelAndReachesTheFileAtOnce) {
    SaveSetting("Database", "/data/shop.mdb");
    SaveSetting("Password", "secret");

    EXPECT_EQ(SettingsFile(), QDir(config.path()).filePath("Marquell.ini"));
    QFile file(SettingsFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString content = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(content.contains("[Fendrel]"));
    EXPECT_TRUE(content.contains("Database=/data/shop.mdb"));
    EXPECT_TRUE(content.contains("Password=secret"));
}

TEST_F(SettingsTest, EmptyValueReplacesTheOldOneAndTheKeyRemains) {
    SaveSetting("Password", "secret");
    SaveSetting("Password", "");
    EXPECT_EQ(GetSetting("Password", "absent"), QString());
}

TEST_F(SettingsTest, FileIsReadableByItsOwnerOnly) {
    SaveSetting("Password", "secret");
    EXPECT_EQ(Mode(SettingsFile()), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(SettingsTest, AnOpenFileMadeEarlierIsClosedToOthers) {
    QFile earlier(QDir(config.path()).filePath("Marquell.ini"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("[Fendrel]\nDatabase=/old.mdb\n");
    earlier.close();
    earlier.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther |
                           QFileDevice::ReadGroup);

    EXPECT_EQ(GetSetting("Database"), "/old.mdb");
    SaveSetting("Password", "secret");
    EXPECT_EQ(Mode(SettingsFile()), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(GetSetting("Database"), "/old.mdb");
}

TEST_F(SettingsTest, AWriteThatCannotReachTheFileFails) {
    // A folder where the file should be makes every write fail.
    ASSERT_TRUE(QDir(config.path()).mkpath("Marquell.ini"));
    EXPECT_THROW(SaveSetting("Database", "/data/shop.mdb"), std::exception);
}

} // namespace
} // namespace app
