#include "app/errors/ErrorTrap.h"
#include "app/errors/Failure.h"
#include "app/testing/TestPlatform.h"

#include <gtest/gtest.h>

namespace app {
namespace {

const QString Location = "in Tolvane2021/08/31.Form2.Form_Load ";

void Fail(const QString& description) {
    throw Failure(description);
}

// A routine without a trap of its own, two calls deep.
void OpenTheDatabase() {
    Fail("Could not find file 'shop.mdb'.");
}
void ListTheTables() {
    OpenTheDatabase();
}

class ErrorTrapTest : public ::testing::Test {
protected:
    QString Message(int index) const { return platform.messages.shown.at(index).prompt; }

    TestPlatform platform;
    ErrorTrap trap{Location};
};

TEST_F(ErrorTrapTest, LocationTextNamesFormAndHandler) {
    EXPECT_EQ(LocationText("Form2", "Form_Load"), Location);
    EXPECT_EQ(LocationText("Form4", "PushButton4_Click"), "in Tolvane2021/08/31.Form4.PushButton4_Click ");
}

TEST_F(ErrorTrapTest, ReportsTheFailureInTheApplicationErrorBox) {
    trap.Line(100, [] {});
    trap.Line(102, [] {});
    trap.Line(106, [] { Fail("Invalid picture"); });

    ASSERT_EQ(platform.messages.shown.size(), 1);
    const ShownMessage& box = platform.messages.shown.first();
    EXPECT_EQ(box.title, "Application Error");
    EXPECT_EQ(box.style, 48);
    EXPECT_EQ(box.prompt, "Invalid picture\r\nin Tolvane2021/08/31.Form2.Form_Load at line 106\r\r"
                          "Please email screenshot of this message to support@marquell.example");
}

TEST_F(ErrorTrapTest, FirstStatementReportsLine100AndAnEmptyDescriptionLeavesTheFirstLineEmpty) {
    trap.Line(100, [] { Fail(""); });
    ASSERT_EQ(platform.messages.shown.size(), 1);
    EXPECT_TRUE(Message(0).startsWith("\r\nin Tolvane2021/08/31.Form2.Form_Load at line 100\r\r"));
}

TEST_F(ErrorTrapTest, GoesOnWithTheNextStatementAndLeavesTheFailedOneWithoutEffect) {
    QString caption = "old";
    QStringList ran;
    trap.Line(100, [&] {
        Fail("first");
        caption = "new";
    });
    trap.Line(102, [&] { ran << "102"; });
    trap.Line(104, [&] { Fail("second"); });
    trap.Line(106, [&] { ran << "106"; });

    EXPECT_EQ(caption, "old");
    EXPECT_EQ(ran, QStringList({"102", "106"}));
    ASSERT_EQ(platform.messages.shown.size(), 2);
    EXPECT_TRUE(Message(0).startsWith("first\r\n") && Message(0).contains("at line 100\r\r"));
    EXPECT_TRUE(Message(1).startsWith("second\r\n") && Message(1).contains("at line 104\r\r"));
    EXPECT_EQ(trap.CurrentLine(), 106);
}

TEST_F(ErrorTrapTest, FailureInACalledRoutineReportsTheCallersLine) {
    trap.Line(110, [] {});
    trap.Line(112, [] { ListTheTables(); });
    ASSERT_EQ(platform.messages.shown.size(), 1);
    EXPECT_EQ(Message(0), ErrorMessageText("Could not find file 'shop.mdb'.", Location, 112));
}

TEST_F(ErrorTrapTest, EachPassOfALoopReportsItsOwnFailure) {
    int passes = 0;
    for (int i = 0; i < 3; ++i) {
        trap.Line(132, [&] {
            if (i != 1) Fail(QString("pass %1").arg(i));
        });
        trap.Line(134, [&] { ++passes; });
    }
    EXPECT_EQ(passes, 3);
    ASSERT_EQ(platform.messages.shown.size(), 2);
    EXPECT_TRUE(Message(1).startsWith("pass 2\r\n"));
}

TEST_F(ErrorTrapTest, AFailingTestOfABlockEntersTheBlock) {
    EXPECT_TRUE(trap.If(102, [] { return false; }) == false);
    EXPECT_TRUE(trap.If(104, []() -> bool { throw std::runtime_error("Object required"); }));
    ASSERT_EQ(platform.messages.shown.size(), 1);
    EXPECT_TRUE(Message(0).startsWith("Object required\r\n") && Message(0).contains("at line 104"));
}

TEST_F(ErrorTrapTest, AnyFailureIsCaught) {
    trap.Line(100, [] { throw 42; });
    ASSERT_EQ(platform.messages.shown.size(), 1);
    EXPECT_TRUE(Message(0).contains("at line 100"));
}

} // namespace
} // namespace app
