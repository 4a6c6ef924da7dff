// The layer over Qt: what the standard instances add to what the pages ask for.
#include "app/helpers/SetAppTitle.h"
#include "app/testing/TestPlatform.h"
#include "app/ui/CommonDialog.h"
#include "app/ui/MessageBox.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(MsgBox, CarriesTheApplicationTitleWhenNoneIsGiven) {
    TestPlatform platform;
    SetAppTitle("Field Splitter Deluxe");
    MsgBox("Please select a table");
    MsgBox("Trouble", vbExclamation, "Application Error");
    SetAppTitle();

    ASSERT_EQ(platform.messages.shown.size(), 2);
    EXPECT_EQ(platform.messages.shown[0].title, "Field Splitter");
    EXPECT_EQ(platform.messages.shown[0].style, vbOKOnly);
    EXPECT_EQ(platform.messages.shown[1].title, "Application Error");
}

TEST(MsgBox, YesNoBoxesReturnTheAnswer) {
    TestPlatform platform;
    platform.messages.answer = vbNo;
    EXPECT_EQ(MsgBox("Open the site?", vbYesNo), vbNo);
    EXPECT_EQ(MsgBox("Done"), vbOK);
}

TEST(CommonDialog, ShowOpenPassesTheRequestAndAnEmptyNameMeansCancel) {
    TestPlatform platform;
    CommonDialog dialog;
    dialog.DialogTitle = "Select Access Database";
    dialog.Filter = "Microsoft Database (*.mdb)|*.mdb|";
    dialog.FileName = "start.mdb";
    platform.files.chosen = "/data/shop.mdb";
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileName, "/data/shop.mdb");
    ASSERT_EQ(platform.files.requests.size(), 1);
    EXPECT_EQ(platform.files.requests[0].FileName, "start.mdb");
    EXPECT_EQ(platform.files.requests[0].DialogTitle, "Select Access Database");

    platform.files.chosen.clear();
    dialog.ShowOpen();
    EXPECT_TRUE(dialog.FileName.isEmpty());
}

TEST(CommonDialog, FilterTextBecomesQtNameFiltersInOrder) {
    EXPECT_EQ(QtNameFilters("All Microsoft Databases (*.mdb,*.accdb)|*.*db|Microsoft Database (*.mdb)|*.mdb|"
                            "Microsoft 2007 Database (*.accdb)|*.accdb|"),
              "All Microsoft Databases (*.mdb,*.accdb) (*.*db);;Microsoft Database (*.mdb) (*.mdb);;"
              "Microsoft 2007 Database (*.accdb) (*.accdb)");
    EXPECT_EQ(QtNameFilters("Text|*.txt;*.csv"), "Text (*.txt *.csv)");
    EXPECT_EQ(QtNameFilters(""), "");
}

} // namespace
} // namespace app
