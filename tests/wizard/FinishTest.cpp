// The whole wizard on a database the engine makes: page 4's Finish runs the split, and the file is
// read back through the data layer and through mdb-reader.
#include "Databases.h"
#include "WizardFixture.h"

#include "app/pages/ProgressBar.h"
#include "split/SplitSupport.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace wizard {
namespace {

class FinishTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        ASSERT_TRUE(data.isValid());
        wizard->Start();
    }
    // Pages 1 to 3 as a user goes through them: the database, the table at `row`, the field.
    Form4& ToPage4(const QString& path, int row, const QString& field) {
        wizard->Form1().Text1->setText(path);
        wizard->Form1().PushButton3->click();
        wizard->Form2().List1->setCurrentRow(row);
        wizard->Form2().PushButton3->click();
        Form3& page3 = wizard->Form3();
        const auto found = page3.List1->findItems(field, Qt::MatchExactly);
        if (!found.isEmpty()) {
            page3.List1->setCurrentItem(found[0]);
            page3.PushButton5->click();
        }
        page3.PushButton3->click();
        return wizard->Form4();
    }
    // Places(Place): 3000 values of four words, the last one of seven.
    QString Places() {
        std::vector<std::vector<jet::Value>> rows;
        for (int i = 0; i < 3000; ++i)
            rows.push_back({wizardtest::text("street " + std::to_string(i) + " town " + std::to_string(i % 7))});
        return wizardtest::MakeDatabase(data.path(), "places.mdb",
                                        {{"Places", {{"Place", jet::ColumnType::Text, 80}}, rows}});
    }
    static QString Cell(const QTableView& grid, int row, int column) {
        return grid.model()->index(row, column).data().toString();
    }
    static QStringList Header(const QTableView& grid) {
        QStringList names;
        for (int c = 0; c < grid.model()->columnCount(); ++c)
            names << grid.model()->headerData(c, Qt::Horizontal).toString();
        return names;
    }
    // People(Address, SPLITCOLUMN1): the column of the default label is there already, holding two
    // values.
    QString ShopWithAColumn(const QString& where) {
        std::vector<std::vector<jet::Value>> rows = {
            {wizardtest::text("1 High Street,Leeds"), wizardtest::text("kept")},
            {wizardtest::text("2 Low Road,York"), wizardtest::text("also kept")},
            {wizardtest::text("Nowhere"), jet::Value()}};
        return wizardtest::MakeDatabase(
            where, "column.mdb",
            {{"People",
              {{"Address", jet::ColumnType::Text, 255}, {"SPLITCOLUMN1", jet::ColumnType::Text, 255}},
              rows}});
    }
    std::vector<std::string> Column(const QString& path, const std::string& table, const std::string& name) {
        return splittest::column(splittest::readTable(path.toStdString(), table), name);
    }
    QTemporaryDir data;
};

TEST_F(FinishTest, TheTypicalRunSplitsTheFieldAndTheButtonThenEndsTheProgram) {
    const QString shop = wizardtest::MakeShop(data.path());
    Form4& page = ToPage4(shop, 0, "Address");
    ASSERT_TRUE(page.isVisible());
    EXPECT_EQ(Globals::SelectedFields, "`Address`");
    page.Option2->setChecked(true); // Comma
    page.PushButton4->click();

    EXPECT_TRUE(platform.messages.shown.isEmpty()) << Messages().join("\n").toStdString();
    EXPECT_EQ(page.PushButton4->text(), "Exit");
    EXPECT_EQ(page.ProgressBar1->value(), 0);
    EXPECT_EQ(page.ProgressBar1->Text(), "Progress Bar");
    EXPECT_EQ(page.MousePointer(), app::vbDefault);
    EXPECT_TRUE(page.PushButton2->isEnabled() && page.Option1->isEnabled() && page.Text2->isEnabled());
    EXPECT_EQ(page.DataGrid1->model()->columnCount(), 6);
    // The grid shows the field split, and its first new column beside it, whatever comes before.
    EXPECT_GE(page.DataGrid1->columnViewportPosition(2), 0);
    EXPECT_EQ(page.DataGrid1->columnAt(0), 2) << "the grid starts at another column than the field";
    EXPECT_GE(page.DataGrid1->columnViewportPosition(3), 0);

    const std::string path = shop.toStdString();
    EXPECT_EQ(Column(shop, "People", "SPLITCOLUMN1"), (std::vector<std::string>{"1 High Street", "2 Low Road", "Nowhere"}));
    EXPECT_EQ(Column(shop, "People", "SPLITCOLUMN2"), (std::vector<std::string>{"Leeds", "York", "<null>"}));
    EXPECT_EQ(Column(shop, "People", "SPLITCOLUMN3"), (std::vector<std::string>{"LS1 1AA", "<null>", "<null>"}));
    EXPECT_ORACLE_AGREES(path, "People");

    page.PushButton4->click();
    EXPECT_EQ(platform.runtime.ends, 1);
}

TEST_F(FinishTest, DuringTheRunThePageHoldsItsControlsAndShowsTheStatements) {
    const QString path = Places();
    Form4& page = ToPage4(path, 0, "Place");
    int held = 0, free = 0;
    QStringList texts;
    QList<int> values;
    platform.runtime.onYield = [&] {
        const bool isHeld = !page.PushButton4->isEnabled() && !page.PushButton2->isEnabled() &&
                            !page.Option4->isEnabled() && !page.Text1->isEnabled() && !page.Text2->isEnabled() &&
                            page.MousePointer() == app::vbHourglass;
        ++(isHeld ? held : free);
        texts << page.ProgressBar1->Text();
        values << page.ProgressBar1->value();
    };
    page.PushButton4->click();
    EXPECT_TRUE(platform.messages.shown.isEmpty()) << Messages().join("\n").toStdString();
    EXPECT_GT(held, 0);
    EXPECT_EQ(free, 0);
    // The window system is reached every few milliseconds, not once for each of the thousands of
    // yields of the run.
    EXPECT_LT(platform.runtime.yields, 3000);
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const QString& t) {
        return t.startsWith("UPDATE `Places` SET SPLITCOLUMN");
    })) << texts.join("\n").toStdString();
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(page.PushButton4->text(), "Exit");
    EXPECT_EQ(Column(path, "Places", "SPLITCOLUMN4")[2999], "3");
}

TEST_F(FinishTest, ClosingThePageDuringTheRunEndsTheProgramWithTheStatementsMadeInTheFile) {
    const QString path = Places();
    Form4& page = ToPage4(path, 0, "Place");
    // Closed while the updates are under way.
    platform.runtime.onYield = [&] {
        if (page.ProgressBar1->value() > 0) page.close();
    };
    page.PushButton4->click();
    EXPECT_EQ(platform.runtime.ends, 1);
    EXPECT_NE(page.PushButton4->text(), "Exit");
    const std::vector<std::string> first = Column(path, "Places", "SPLITCOLUMN1");
    ASSERT_EQ(first.size(), 3000u);
    EXPECT_EQ(first[0], "street");
    EXPECT_EQ(first[2999], "<null>") << "the run stopped before the last record";
    EXPECT_ORACLE_AGREES(path.toStdString(), "Places");
}

TEST_F(FinishTest, ARefusedLabelGivesOneBoxAndLeavesTheFileAsItWas) {
    const QString shop = wizardtest::MakeShop(data.path());
    const std::string before = splittest::fileBytes(shop.toStdString());
    Form4& page = ToPage4(shop, 0, "Address");
    page.Text2->setText("SPLIT COLUMN");
    page.PushButton4->click();
    ASSERT_EQ(platform.messages.shown.size(), 1) << Messages().join("\n").toStdString();
    EXPECT_EQ(platform.messages.shown[0].title, "Application Error");
    EXPECT_TRUE(Messages()[0].contains("\r\nin Tolvane2021/08/31.Form4.PushButton4_Click at line 186\r\r"));
    EXPECT_EQ(splittest::fileBytes(shop.toStdString()), before);
    EXPECT_EQ(page.PushButton4->text(), "Finish");
    EXPECT_EQ(page.MousePointer(), app::vbDefault);

    // Mended, the label goes through.
    platform.messages.shown.clear();
    page.Text2->setText("Part");
    page.Option4->setChecked(true);
    page.Text1->setText(",");
    page.PushButton4->click();
    EXPECT_TRUE(platform.messages.shown.isEmpty()) << Messages().join("\n").toStdString();
    EXPECT_EQ(Column(shop, "People", "Part2"), (std::vector<std::string>{"Leeds", "York", "<null>"}));
}

TEST_F(FinishTest, AReadOnlyFileIsPreviewedAndFinishRefusesItWithOneBox) {
    const QString shop = wizardtest::MakeShop(data.path());
    const std::string path = shop.toStdString();
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    const std::string before = splittest::fileBytes(path);

    Form4& page = ToPage4(shop, 0, "Address");
    EXPECT_TRUE(platform.messages.shown.isEmpty()) << Messages().join("\n").toStdString();
    ASSERT_TRUE(page.isVisible());
    EXPECT_EQ(wizard->Form3().DataGrid1->model()->rowCount(), 3);
    // Said before Finish, with the plan.
    ASSERT_TRUE(PreviewFollows(page));
    EXPECT_TRUE(page.PlanLine->text().contains("SPLITCOLUMN1 (3 records)")) << page.PlanLine->text().toStdString();
    EXPECT_TRUE(page.PlanLine->text().contains("\nFinish cannot change this file: ") &&
                page.PlanLine->text().contains("read-only"))
        << page.PlanLine->text().toStdString();

    page.PushButton4->click();
    ASSERT_EQ(platform.messages.shown.size(), 1) << Messages().join("\n").toStdString();
    EXPECT_TRUE(Messages()[0].contains("the file is read-only; Fendrel cannot change it."));
    EXPECT_EQ(page.PushButton4->text(), "Finish");
    EXPECT_EQ(splittest::fileBytes(path), before);
}

TEST_F(FinishTest, BackLeadsToPage2KeepingTheFieldForTheSameTableOnly) {
    const QString shop = wizardtest::MakeShop(data.path());
    Form4& page = ToPage4(shop, 0, "Name");
    page.PushButton4->click();
    ASSERT_EQ(page.PushButton4->text(), "Exit");

    page.PushButton2->click();
    EXPECT_TRUE(wizard->Form2().isVisible());
    EXPECT_FALSE(wizard->Form3().isVisible());
    EXPECT_EQ(page.PushButton4->text(), "Finish");
    EXPECT_EQ(page.ProgressBar1->Text(), "ProgressBar");

    wizard->Form2().PushButton3->click(); // People again: Name stays chosen
    Form3& page3 = wizard->Form3();
    ASSERT_EQ(page3.List2->count(), 1);
    EXPECT_EQ(page3.List2->item(0)->text(), "Name");
    EXPECT_TRUE(page3.List1->findItems("Name", Qt::MatchExactly).isEmpty());
    EXPECT_FALSE(page3.List1->findItems("SPLITCOLUMN1", Qt::MatchExactly).isEmpty()); // the table read afresh
    page3.PushButton3->click();
    page.PushButton2->click();

    wizard->Form2().List1->setCurrentRow(1); // Orders: the field is forgotten
    wizard->Form2().PushButton3->click();
    EXPECT_EQ(page3.List2->count(), 0);
    EXPECT_FALSE(page3.PushButton3->isEnabled());
}

TEST_F(FinishTest, ThePreviewFollowsTheSeparatorAndTheLabelAndShowsWhatFinishWouldRefuse) {
    const QString shop = wizardtest::MakeShop(data.path());
    const std::string before = splittest::fileBytes(shop.toStdString());
    Form4& page = ToPage4(shop, 0, "Address");
    ASSERT_TRUE(PreviewFollows(page));
    EXPECT_TRUE(page.PreviewGrid->isVisible());
    EXPECT_FALSE(page.DataGrid1->isVisible());
    // At spaces: "1 High Street,Leeds,LS1 1AA" has four pieces, "2 Low Road,York" three.
    EXPECT_TRUE(page.PlanLine->text().contains(
        "3 records. The split makes SPLITCOLUMN1 (3 records), SPLITCOLUMN2 (2), SPLITCOLUMN3 (2), SPLITCOLUMN4 (1)."))
        << page.PlanLine->text().toStdString();
    EXPECT_EQ(Cell(*page.PreviewGrid, 0, 2), "High");

    page.Option2->setChecked(true); // Comma
    ASSERT_TRUE(PreviewFollows(page));
    EXPECT_EQ(Header(*page.PreviewGrid), QStringList({"Address", "SPLITCOLUMN1", "SPLITCOLUMN2", "SPLITCOLUMN3"}));
    EXPECT_EQ(page.PreviewGrid->model()->rowCount(), 3);
    EXPECT_EQ(Cell(*page.PreviewGrid, 0, 0), "1 High Street,Leeds,LS1 1AA");
    EXPECT_EQ(Cell(*page.PreviewGrid, 0, 3), "LS1 1AA");
    EXPECT_EQ(Cell(*page.PreviewGrid, 2, 2), "");

    page.Option4->setChecked(true);
    page.Text1->setText(" Low ");
    page.Text2->setText("Part");
    ASSERT_TRUE(PreviewFollows(page));
    EXPECT_EQ(Header(*page.PreviewGrid), QStringList({"Address", "Part1", "Part2"}));
    EXPECT_EQ(Cell(*page.PreviewGrid, 1, 2), "Road,York");

    // What Finish would refuse is said before Finish, in words.
    page.Text2->setText("Part 1");
    ASSERT_TRUE(PreviewFollows(page));
    EXPECT_TRUE(page.PlanLine->text().contains("\nFinish would refuse: ")) << page.PlanLine->text().toStdString();
    EXPECT_FALSE(page.PlanLine->text().contains("Nothing was changed"));
    EXPECT_TRUE(platform.messages.shown.isEmpty()) << Messages().join("\n").toStdString();
    EXPECT_EQ(splittest::fileBytes(shop.toStdString()), before) << "the preview wrote to the file";
}

// Changes faster than the preview: each one overtakes the plan in hand, and what shows at the end is
// the plan of the page as it is, never an older one delivered late.
TEST_F(FinishTest, ThePreviewShowsThePlanOfTheLastChangeWhenChangesComeFasterThanItFollows) {
    const QString places = Places();
    Form4& page = ToPage4(places, 0, "Place");
    const QStringList labels = {"A", "AB", "ABC", "ABCD", "Town"};
    for (int round = 0; round < 3; ++round) {
        for (const QString& label : labels) {
            page.Text2->setText(label + QString::number(round));
            (label.size() % 2 ? page.Option1 : page.Option4)->setChecked(true);
            QCoreApplication::processEvents();
        }
        page.Text1->setText(" town ");
        page.Option4->setChecked(true);
        ASSERT_TRUE(PreviewFollows(page));
        const QString last = "Town" + QString::number(round);
        EXPECT_EQ(Header(*page.PreviewGrid), QStringList({"Place", last + "1", last + "2"}));
        EXPECT_EQ(page.PreviewGrid->model()->rowCount(), 100);
        EXPECT_EQ(Cell(*page.PreviewGrid, 99, 1), "street 99");
        EXPECT_EQ(Cell(*page.PreviewGrid, 99, 2), "1");
        EXPECT_TRUE(page.PlanLine->text().startsWith("3000 records. The split makes " + last + "1 (3000 records), " +
                                                     last + "2 (3000)."))
            << page.PlanLine->text().toStdString();
    }
}

// A column the split would replace is marked in the preview and asked about at Finish: No changes
// nothing; Yes splits, keeping a backup, and the table shows where the preview was; Undo puts the
// file back byte for byte and the page as it was before Finish.
TEST_F(FinishTest, ReplacingValuesIsShownAskedAndUndone) {
    const QString path = ShopWithAColumn(data.path());
    const std::string before = splittest::fileBytes(path.toStdString());
    Form4& page = ToPage4(path, 0, "Address");
    page.Option2->setChecked(true);
    ASSERT_TRUE(PreviewFollows(page));
    EXPECT_TRUE(page.PlanLine->text().contains(
        "SPLITCOLUMN1 (3 records; replaces the field there, which holds 2 values now), SPLITCOLUMN2 (2)"))
        << page.PlanLine->text().toStdString();

    platform.messages.answer = app::vbNo;
    page.PushButton4->click();
    ASSERT_EQ(platform.messages.shown.size(), 1) << Messages().join("\n").toStdString();
    EXPECT_TRUE(Messages()[0].contains("SPLITCOLUMN1 (2 values)")) << Messages()[0].toStdString();
    EXPECT_EQ(platform.messages.shown[0].style & 0x7, app::vbYesNo);
    EXPECT_EQ(splittest::fileBytes(path.toStdString()), before);
    EXPECT_EQ(page.PushButton4->text(), "Finish");
    EXPECT_FALSE(page.UndoButton->isVisible());
    ASSERT_TRUE(PreviewFollows(page));
    EXPECT_TRUE(page.PreviewGrid->isVisible());

    platform.messages.shown.clear();
    platform.messages.answer = app::vbYes;
    page.PushButton4->click();
    ASSERT_EQ(platform.messages.shown.size(), 1) << Messages().join("\n").toStdString();
    ASSERT_EQ(page.PushButton4->text(), "Exit");
    EXPECT_EQ(Column(path, "People", "SPLITCOLUMN1"),
              (std::vector<std::string>{"1 High Street", "2 Low Road", "Nowhere"}));
    EXPECT_TRUE(page.DataGrid1->isVisible());
    EXPECT_FALSE(page.PreviewGrid->isVisible());
    EXPECT_EQ(page.DataGrid1->model()->columnCount(), 3);
    EXPECT_TRUE(page.UndoButton->isVisible());
    EXPECT_TRUE(page.BackupLine->text().contains(".fendrel-backup-")) << page.BackupLine->text().toStdString();
    const std::string split = splittest::fileBytes(path.toStdString());

    // Undone and split again, twice: each undo gives the file back as it was, each split the same file.
    for (int round = 0; round < 2; ++round) {
        platform.messages.shown.clear();
        page.UndoButton->click();
        ASSERT_EQ(platform.messages.shown.size(), 1) << Messages().join("\n").toStdString();
        EXPECT_EQ(splittest::fileBytes(path.toStdString()), before);
        EXPECT_EQ(page.PushButton4->text(), "Finish");
        EXPECT_FALSE(page.UndoButton->isVisible());
        ASSERT_TRUE(PreviewFollows(page));
        EXPECT_TRUE(page.PreviewGrid->isVisible());
        EXPECT_TRUE(page.PlanLine->isVisible());
        EXPECT_TRUE(page.PlanLine->text().contains("which holds 2 values now"));
        if (round == 1) break;
        page.PushButton4->click();
        ASSERT_EQ(page.PushButton4->text(), "Exit") << Messages().join("\n").toStdString();
        EXPECT_EQ(splittest::fileBytes(path.toStdString()), split) << "the same split gave another file";
    }
    // Two splits, two backups: neither replaced the other.
    int backups = 0;
    for (const auto& entry : std::filesystem::directory_iterator(data.path().toStdString()))
        backups += entry.path().extension() == ".mdb" &&
                   entry.path().filename().string().find(".fendrel-backup-") != std::string::npos;
    EXPECT_EQ(backups, 2);
}

// After the split another program changed the file: undo says so and puts the backup back only
// when asked a second time.
TEST_F(FinishTest, UndoAsksAgainWhenTheFileChangedAfterTheSplit) {
    const QString shop = wizardtest::MakeShop(data.path());
    const std::string before = splittest::fileBytes(shop.toStdString());
    Form4& page = ToPage4(shop, 0, "Address");
    page.Option2->setChecked(true);
    page.PushButton4->click();
    ASSERT_EQ(page.PushButton4->text(), "Exit");
    {
        std::ofstream other(shop.toStdString(), std::ios::binary | std::ios::app);
        other << std::string(4096, '\0');
    }
    const std::string changed = splittest::fileBytes(shop.toStdString());

    platform.messages.answers = {app::vbYes, app::vbNo};
    page.UndoButton->click();
    ASSERT_EQ(platform.messages.shown.size(), 2) << Messages().join("\n").toStdString();
    EXPECT_TRUE(Messages()[1].contains("changed")) << Messages()[1].toStdString();
    EXPECT_EQ(splittest::fileBytes(shop.toStdString()), changed);
    EXPECT_TRUE(page.UndoButton->isVisible());

    platform.messages.answers = {app::vbYes, app::vbYes};
    page.UndoButton->click();
    EXPECT_EQ(splittest::fileBytes(shop.toStdString()), before);
    EXPECT_FALSE(page.UndoButton->isVisible());
}

// No room beside the file for its backup: Finish says so and asks; No leaves the file untouched.
// Needs a small tmpfs, which only root can mount.
TEST_F(FinishTest, NoRoomForTheBackupIsAskedAboutAndNoLeavesTheFileUntouched) {
    const std::string disk = (data.path() + "/small").toStdString();
    std::filesystem::create_directory(disk);
    if (std::system(("mount -t tmpfs -o size=1m tmpfs '" + disk + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "a tmpfs cannot be mounted here (it needs root): the full disk was not tried";
    struct Unmount {
        std::string at;
        ~Unmount() { (void)std::system(("umount '" + at + "'").c_str()); }
    } unmount{disk};
    const QString shop = wizardtest::MakeShop(QString::fromStdString(disk));
    const std::string before = splittest::fileBytes(shop.toStdString());
    {
        // The rest of the disk taken, but for less than the file.
        std::ofstream fill(disk + "/fill", std::ios::binary);
        const std::string block(4096, '\0');
        while (fill.write(block.data(), static_cast<std::streamsize>(block.size())) && fill.flush()) {
        }
    }
    Form4& page = ToPage4(shop, 0, "Address");
    platform.messages.answer = app::vbNo;
    page.PushButton4->click();
    ASSERT_EQ(platform.messages.shown.size(), 1) << Messages().join("\n").toStdString();
    EXPECT_TRUE(Messages()[0].contains("No backup of the database could be kept")) << Messages()[0].toStdString();
    EXPECT_EQ(splittest::fileBytes(shop.toStdString()), before);
    EXPECT_EQ(page.PushButton4->text(), "Finish");
    for (const auto& entry : std::filesystem::directory_iterator(disk))
        EXPECT_EQ(entry.path().string().find("fendrel-backup"), std::string::npos) << entry.path();
}

} // namespace
} // namespace wizard
