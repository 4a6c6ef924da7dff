// The small routines that the pages share.
#include "app/helpers/FileExists.h"
#include "app/helpers/NullToDefault.h"
#include "app/helpers/RemoveDuplicates.h"
#include "app/helpers/RemoveMatchingItems.h"
#include "app/helpers/SetAppTitle.h"
#include "app/testing/TestPlatform.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

namespace app {
namespace {

using db::Variant;

TEST(NullToDefault, OnlyNullTakesTheDefault) {
    EXPECT_EQ(NullToDefault(Variant(), ""), Variant(""));
    EXPECT_EQ(NullToDefault(Variant("City"), ""), Variant("City"));
    EXPECT_EQ(NullToDefault(Variant(""), "default"), Variant(""));
    EXPECT_EQ(NullToDefault(Variant(0), ""), Variant(0));
    EXPECT_TRUE(NullToDefault(Variant(0), "").isNumber());
}

TEST(FileExists, TrueOnlyForAnExistingFile) {
    QTemporaryDir dir;
    const QString file = dir.filePath("shop.mdb");
    QFile(file).open(QIODevice::WriteOnly);
    QFile::setPermissions(file, QFileDevice::ReadOwner);

    EXPECT_TRUE(FileExists(file)); // read-only counts
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(dir.filePath("missing.mdb")));
    EXPECT_FALSE(FileExists(dir.path())); // a folder is no file
    // The name up to the NUL is the file; the path as a whole names none.
    EXPECT_FALSE(FileExists(file + QChar(0) + ".mdb"));
    EXPECT_FALSE(FileExists(dir.filePath("shop.mdb/inner")));
}

TEST(SetAppTitle, CutsTheLastWordUntilFortyCharactersRemain) {
    SetAppTitle("Split Fields Wizard Pro");
    EXPECT_EQ(AppTitle(), "Split Fields Wizard");

    // 41 characters, the last space at position 30: the first 29 remain.
    const QString title = QString(29, 'a') + ' ' + QString(11, 'b');
    ASSERT_EQ(title.size(), 41);
    SetAppTitle(title);
    EXPECT_EQ(AppTitle(), QString(29, 'a'));

    // Words go from the end until the rest fits.
    SetAppTitle(QString(30, 'a') + " " + QString(15, 'b') + " " + QString(3, 'c'));
    EXPECT_EQ(AppTitle(), QString(30, 'a'));

    SetAppTitle();
    EXPECT_EQ(AppTitle(), "Fendrel"); // no space: kept whole
    SetAppTitle(QString(50, 'x'));
    EXPECT_EQ(AppTitle(), QString(50, 'x'));
}

TEST(RemoveDuplicates, KeepsEachValueAtItsLastOccurrence) {
    TestPlatform platform;
    EXPECT_EQ(RemoveDuplicates({3, 1, 3, 2}), Variant::Array({1, 3, 2}));
    EXPECT_EQ(RemoveDuplicates({1, 1, 1}), Variant::Array({1}));
    EXPECT_EQ(RemoveDuplicates({"City", "city"}), Variant::Array({"City", "city"}));
    EXPECT_EQ(RemoveDuplicates({}), Variant::Array());
    EXPECT_EQ(RemoveDuplicates({std::int64_t{2}, 2.0}), Variant::Array({2.0}));
    EXPECT_GT(platform.runtime.yields, 0);
}

class RemoveMatchingItemsTest : public ::testing::Test {
protected:
    static void Fill(QListWidget& list, const QStringList& texts) {
        list.clear();
        list.addItems(texts);
    }
    static QStringList Texts(const QListWidget& list) {
        QStringList texts;
        for (int i = 0; i < list.count(); ++i)
            texts << list.item(i)->text();
        return texts;
    }

    TestPlatform platform;
    QListWidget a, b;
};

TEST_F(RemoveMatchingItemsTest, RemovesEntriesOfAThatBHolds) {
    Fill(a, {"Name", "City", "Zip"});
    Fill(b, {"City"});
    RemoveMatchingItems(a, b);
    EXPECT_EQ(Texts(a), QStringList({"Name", "Zip"}));
    EXPECT_EQ(Texts(b), QStringList({"City"}));

    Fill(a, {"Name", "City", "Zip", "City"});
    Fill(b, {"City", "Zip", "City"});
    RemoveMatchingItems(a, b);
    EXPECT_EQ(Texts(a), QStringList({"Name"}));
}

TEST_F(RemoveMatchingItemsTest, ComparesExactlyAndKeepsEmptyEntries) {
    Fill(a, {"Name", "City", "", "Zip"});
    Fill(b, {"city", "", "Zip "});
    RemoveMatchingItems(a, b);
    EXPECT_EQ(Texts(a), QStringList({"Name", "City", "", "Zip"}));
}

TEST_F(RemoveMatchingItemsTest, SurvivesTheUserEmptyingAListWhileItYields) {
    Fill(a, {"Name", "City", "Zip"});
    Fill(b, {"Zip", "City"});
    int passes = 0;
    platform.runtime.onYield = [&] {
        if (++passes == 2) a.clear();
    };
    RemoveMatchingItems(a, b);
    EXPECT_EQ(a.count(), 0);
}

TEST_F(RemoveMatchingItemsTest, EmptyListsChangeNothing) {
    Fill(a, {"Name", "City"});
    RemoveMatchingItems(a, b);
    EXPECT_EQ(Texts(a), QStringList({"Name", "City"}));

    Fill(a, {});
    Fill(b, {"City"});
    RemoveMatchingItems(a, b);
    EXPECT_EQ(a.count(), 0);
}

} // namespace
} // namespace app
