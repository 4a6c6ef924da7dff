// Page 2's Next on real files: the chosen table, page 3's fields and buttons, and the preview.
#include "Databases.h"
#include "WizardFixture.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>

namespace wizard {
namespace {

class TablePageTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        ASSERT_TRUE(data.isValid());
        wizard->Start();
    }
    // Page 1's Next on the database, then page 2's Next on the table at `row`.
    void OpenTable(const QString& path, int row) {
        wizard->Form1().Text1->setText(path);
        wizard->Form1().PushButton3->click();
        ASSERT_TRUE(wizard->Form2().isVisible());
        wizard->Form2().List1->setCurrentRow(row);
        wizard->Form2().PushButton3->click();
    }
    static QStringList Entries(const QListWidget& list) {
        QStringList texts;
        for (int i = 0; i < list.count(); ++i)
            texts << list.item(i)->text();
        return texts;
    }
    Form3& page3() { return wizard->Form3(); }
    QTemporaryDir data;
};

TEST_F(TablePageTest, NextShowsTheFieldsAndAReadOnlyPreviewOfTheTable) {
    OpenTable(wizardtest::MakeShop(data.path()), 0);
    EXPECT_TRUE(platform.messages.shown.isEmpty()) << Messages().join("\n").toStdString();
    EXPECT_EQ(Globals::SelectedTable, "People");
    EXPECT_TRUE(page3().isVisible());
    EXPECT_FALSE(wizard->Form2().isVisible());
    EXPECT_EQ(wizard->Form2().MousePointer(), app::vbDefault);
    EXPECT_EQ(Entries(*page3().List1), QStringList({"ID", "Name", "Address"}));
    EXPECT_EQ(page3().List1->currentRow(), 0);
    EXPECT_TRUE(page3().PushButton5->isEnabled());
    EXPECT_FALSE(page3().PushButton7->isEnabled());
    EXPECT_FALSE(page3().PushButton3->isEnabled());

    const QAbstractItemModel& grid = *page3().DataGrid1->model();
    ASSERT_EQ(grid.columnCount(), 3);
    ASSERT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.headerData(2, Qt::Horizontal).toString(), "Address");
    EXPECT_EQ(grid.index(0, 2).data().toString(), "1 High Street,Leeds,LS1 1AA");
    EXPECT_FALSE(grid.flags(grid.index(0, 2)) & Qt::ItemIsEditable);
    EXPECT_EQ(page3().DataGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(TablePageTest, PreviewRowsAreOneLineHigh) {
    const QString path = wizardtest::MakeDatabase(
        data.path(), "notes.mdb",
        {{"Notes", {{"Text", jet::ColumnType::Memo}}, {{wizardtest::text("first line\r\nsecond line\r\nthird")}}}});
    OpenTable(path, 0);
    QTableView& grid = *page3().DataGrid1;
    EXPECT_FALSE(grid.wordWrap());
    EXPECT_LE(grid.rowHeight(0), grid.fontMetrics().height() + 6);
    const auto* cells = qobject_cast<QStyledItemDelegate*>(grid.itemDelegate());
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->displayText(grid.model()->index(0, 0).data(), QLocale()), "first line  second line  third");
}

TEST_F(TablePageTest, TheChosenFieldStaysForTheSameTableAndIsDroppedForAnother) {
    OpenTable(wizardtest::MakeShop(data.path()), 0);
    page3().List1->setCurrentRow(2);
    page3().PushButton5->click(); // Address chosen
    page3().PushButton2->click(); // back to page 2

    wizard->Form2().PushButton3->click(); // People again
    EXPECT_EQ(Entries(*page3().List2), QStringList({"Address"}));
    EXPECT_EQ(Entries(*page3().List1), QStringList({"ID", "Name"}));
    EXPECT_TRUE(page3().PushButton3->isEnabled());
    EXPECT_TRUE(page3().PushButton7->isEnabled());

    page3().PushButton2->click();
    wizard->Form2().List1->setCurrentRow(1); // Orders
    wizard->Form2().PushButton3->click();
    EXPECT_EQ(Globals::SelectedTable, "Orders");
    EXPECT_TRUE(page3().List2->count() == 0);
    EXPECT_EQ(Entries(*page3().List1), QStringList({"OrderID", "Item"}));
    EXPECT_FALSE(page3().PushButton3->isEnabled());
    EXPECT_FALSE(page3().PushButton7->isEnabled());
    EXPECT_EQ(page3().DataGrid1->model()->index(0, 1).data().toString(), "Tea, Cups");
}

TEST_F(TablePageTest, NoTableSelectedAsksForOneAndStays) {
    OpenTable(wizardtest::MakeDatabase(data.path(), "empty.mdb", {}), -1);
    EXPECT_EQ(Messages(), QStringList({"Please select a table"}));
    EXPECT_EQ(platform.messages.shown[0].style, 0);
    EXPECT_EQ(platform.messages.shown[0].title, "Fendrel");
    EXPECT_TRUE(wizard->Form2().isVisible());
    EXPECT_EQ(wizard->Form2().MousePointer(), app::vbDefault);
}

TEST_F(TablePageTest, ADatabaseGoneSinceItsTablesWereListedGivesBoxesAndAnEmptyPage3) {
    const QString path = wizardtest::MakeShop(data.path());
    wizard->Form1().Text1->setText(path);
    wizard->Form1().PushButton3->click();
    ASSERT_TRUE(QFile::remove(path));
    wizard->Form2().PushButton3->click();
    ASSERT_GE(platform.messages.shown.size(), 2);
    EXPECT_TRUE(Messages()[0].contains("Form2.PushButton3_Click at line 112\r\r"));
    EXPECT_TRUE(Messages()[1].contains("Form2.PushButton3_Click at line 128\r\r"));
    EXPECT_TRUE(page3().isVisible());
    EXPECT_EQ(page3().List1->count(), 0);
    EXPECT_FALSE(page3().PushButton5->isEnabled());
    EXPECT_EQ(wizard->Form2().MousePointer(), app::vbDefault);
}

} // namespace
} // namespace wizard
