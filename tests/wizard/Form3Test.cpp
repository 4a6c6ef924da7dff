// Page 3's moves between the fields on offer and the one chosen field.
#include "WizardFixture.h"

#include "app/pages/ListIndex.h"

#include <QListWidget>
#include <QPushButton>

namespace wizard {
namespace {

class Form3Test : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        page().List1->addItems({"ID", "City", "Notes"});
    }
    Form3& page() { return wizard->Form3(); }
    static QStringList Texts(const QListWidget* list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }
};

TEST_F(Form3Test, MoveRightNeedsASelectionAndAFreePlace) {
    page().PushButton5->setEnabled(true);
    page().PushButton5->click();
    EXPECT_EQ(Messages(), QStringList({"Please select a field first."}));
    EXPECT_EQ(platform.messages.shown[0].style, 0);
    EXPECT_EQ(platform.messages.shown[0].title, "Fendrel");

    page().List1->setCurrentRow(1);
    page().PushButton5->click();
    EXPECT_EQ(Texts(page().List1), QStringList({"ID", "Notes"}));
    EXPECT_EQ(Texts(page().List2), QStringList({"City"}));
    EXPECT_EQ(app::ListIndex(*page().List1), -1);
    EXPECT_TRUE(page().PushButton5->isEnabled());
    EXPECT_TRUE(page().PushButton7->isEnabled());
    EXPECT_TRUE(page().PushButton3->isEnabled());

    page().List1->setCurrentRow(0);
    page().PushButton5->click();
    emit page().List1->itemDoubleClicked(page().List1->item(0));
    EXPECT_EQ(Messages().mid(1),
              QStringList({"You can only select one field.", "You can only select one field."}));
    EXPECT_EQ(Texts(page().List2), QStringList({"City"}));
    EXPECT_EQ(Texts(page().List1), QStringList({"ID", "Notes"}));
}

TEST_F(Form3Test, MoveBackAppendsTheFieldAndDisablesNext) {
    page().List1->setCurrentRow(0);
    emit page().List1->itemDoubleClicked(page().List1->item(0));
    EXPECT_EQ(Texts(page().List2), QStringList({"ID"}));

    page().PushButton7->click(); // nothing selected in List2
    EXPECT_EQ(Messages(), QStringList({"Please select a field first."}));

    page().List2->setCurrentRow(0);
    page().PushButton7->click();
    EXPECT_EQ(Texts(page().List1), QStringList({"City", "Notes", "ID"}));
    EXPECT_EQ(page().List2->count(), 0);
    EXPECT_FALSE(page().PushButton7->isEnabled());
    EXPECT_FALSE(page().PushButton3->isEnabled());
    EXPECT_TRUE(page().PushButton5->isEnabled());
}

TEST_F(Form3Test, TheLastFieldOnOfferDisablesMoveRight) {
    page().List1->clear();
    page().List1->addItem("Only");
    page().List1->setCurrentRow(0);
    page().PushButton5->setEnabled(true);
    page().PushButton5->click();
    EXPECT_FALSE(page().PushButton5->isEnabled());

    // A double-click on a list without a selection changes nothing.
    page().List2->clearSelection();
    page().List2->setCurrentRow(-1);
    emit page().List2->itemDoubleClicked(nullptr);
    EXPECT_EQ(Texts(page().List2), QStringList({"Only"}));
    EXPECT_TRUE(platform.messages.shown.isEmpty());
}

} // namespace
} // namespace wizard
