// Whole runs of the split on databases the engine makes, each result read back by the data layer
// and by mdb-reader.

#include "SplitSupport.h"

#include <gtest/gtest.h>

using namespace splittest;
using Strings = std::vector<std::string>;

namespace {

class SplitRun : public ::testing::TestWithParam<jet::Version> {};

} // namespace

TEST_P(SplitRun, CutsEveryValueIntoNewTextColumnsSendingEachDistinctValueOnce) {
    TempDir dir;
    using T = jet::ColumnType;
    const std::string path = makeTable(dir, "People", {{"ID", T::Long}, {"Address", T::Text, 100}},
                                       {{jet::Value::ofInteger(1), text("12 Baker Street, Flat 3, London")},
                                        {jet::Value::ofInteger(2), text("O'Neill's Yard, Dublin")},
                                        {jet::Value::ofInteger(3), null()},
                                        {jet::Value::ofInteger(4), text("12 Baker Street, Flat 3, London")},
                                        {jet::Value::ofInteger(5), text("")},
                                        {jet::Value::ofInteger(6), text("Rome")}},
                                       GetParam());
    Recorder r;
    const split::Result result = runSplit(path, "People", "Address", split::Separator::commaSpace(), r);
    EXPECT_EQ(result.outcome, split::Outcome::Completed) << r.failureTexts();
    EXPECT_EQ(result.failures, 0) << r.failureTexts();
    EXPECT_EQ(r.ends, 1);
    EXPECT_GT(r.yields, 6);

    // The shared value's statements are sent once, at its first record.
    EXPECT_EQ(
        r.statements,
        (Strings{"UPDATE `People` SET SPLITCOLUMN1='12 Baker Street' WHERE `Address` = '12 Baker "
                 "Street, Flat 3, London'",
                 "UPDATE `People` SET SPLITCOLUMN2='Flat 3' WHERE `Address` = '12 Baker Street, Flat 3, "
                 "London'",
                 "UPDATE `People` SET SPLITCOLUMN3='London' WHERE `Address` = '12 Baker Street, Flat 3, "
                 "London'",
                 "UPDATE `People` SET SPLITCOLUMN1='O''Neill''s Yard' WHERE `Address` = 'O''Neill''s "
                 "Yard, Dublin'",
                 "UPDATE `People` SET SPLITCOLUMN2='Dublin' WHERE `Address` = 'O''Neill''s Yard, Dublin'",
                 "UPDATE `People` SET SPLITCOLUMN1='Rome' WHERE `Address` = 'Rome'"}));
    EXPECT_EQ(result.statementsSent, 9);

    // Progress counts every record, also those that send nothing.
    ASSERT_EQ(r.progress.size(), 6u);
    EXPECT_EQ(r.progress[0].value, 16);
    EXPECT_EQ(r.progress[2].value, 50);
    EXPECT_EQ(r.progress[5].value, 100);
    EXPECT_EQ(r.progress[5].record, 6);
    EXPECT_EQ(r.progress[5].records, 6);

    const auto rows = readTable(path, "People");
    EXPECT_EQ(column(rows, "SPLITCOLUMN1"),
              (Strings{"12 Baker Street", "O'Neill's Yard", "<null>", "12 Baker Street", "<null>", "Rome"}));
    EXPECT_EQ(column(rows, "SPLITCOLUMN2"),
              (Strings{"Flat 3", "Dublin", "<null>", "Flat 3", "<null>", "<null>"}));
    EXPECT_EQ(column(rows, "SPLITCOLUMN3"),
              (Strings{"London", "<null>", "<null>", "London", "<null>", "<null>"}));
    EXPECT_EQ(column(rows, "Address")[1], "O'Neill's Yard, Dublin");
    EXPECT_ORACLE_AGREES(path, "People");

    // The final read is handed over for a grid, and the preview tells what was made.
    ASSERT_TRUE(result.table);
    EXPECT_EQ(result.table->fields().size(), 5u);
    EXPECT_EQ(result.table->fetchAll(), 6u);
    ASSERT_EQ(result.plan->columns.size(), 3u);
    EXPECT_EQ(result.plan->columns[1].filled, 3);
    EXPECT_EQ(result.plan->columns[2].filled, 2);
    EXPECT_EQ(result.plan->statements, 6);
}

TEST_P(SplitRun, EmptyTableMakesOneColumnAndSendsNoUpdate) {
    TempDir dir;
    const std::string path = makeValues(dir, {}, GetParam());
    Recorder r;
    const split::Result result = runSplit(path, "T", "Value", split::Separator::space(), r);
    EXPECT_EQ(result.outcome, split::Outcome::Completed) << r.failureTexts();
    EXPECT_EQ(result.statementsSent, 1);
    EXPECT_TRUE(r.statements.empty());
    EXPECT_TRUE(r.progress.empty());
    EXPECT_EQ(readTable(path, "T")[0], (Strings{"Value", "SPLITCOLUMN1"}));
    EXPECT_ORACLE_AGREES(path, "T");
}

// An earlier run's SPLITCOLUMN2 is dropped with its data and made anew; SPLITCOLUMN4, beyond what
// this run needs, stays as it was.
TEST_P(SplitRun, ExistingColumnsOfTheLabelAreMadeAnewAndOthersStay) {
    TempDir dir;
    using T = jet::ColumnType;
    const std::string path = makeTable(
        dir, "T", {{"Value", T::Text, 100}, {"SPLITCOLUMN2", T::Text, 10}, {"SPLITCOLUMN4", T::Text, 10}},
        {{text("a b c"), text("old"), text("keep")}, {text("d"), text("old2"), null()}}, GetParam());
    Recorder r;
    const split::Result result = runSplit(path, "T", "Value", split::Separator::space(), r);
    EXPECT_EQ(result.outcome, split::Outcome::Completed) << r.failureTexts();
    EXPECT_EQ(result.failures, 0) << r.failureTexts();
    EXPECT_EQ(result.statementsSent, 4 + 4); // one DROP, three ADD, four UPDATE
    EXPECT_EQ(result.plan->columns[1].fate, split::PlannedColumn::Fate::Replace);
    EXPECT_EQ(result.plan->columns[1].valuesNow, 2);
    const auto rows = readTable(path, "T");
    EXPECT_EQ(rows[0], (Strings{"Value", "SPLITCOLUMN4", "SPLITCOLUMN1", "SPLITCOLUMN2", "SPLITCOLUMN3"}));
    EXPECT_EQ(column(rows, "SPLITCOLUMN2"), (Strings{"b", "<null>"}));
    EXPECT_EQ(column(rows, "SPLITCOLUMN4"), (Strings{"keep", "<null>"}));
    EXPECT_EQ(column(rows, "SPLITCOLUMN3"), (Strings{"c", "<null>"}));
    EXPECT_EQ(column(rows, "SPLITCOLUMN1"), (Strings{"a", "d"}));
    EXPECT_ORACLE_AGREES(path, "T");
}

// Texts are matched exactly: values that differ only in letter case or in trailing blanks each get
// their own pieces.
TEST_P(SplitRun, ValuesThatDifferOnlyInCaseGetTheirOwnPieces) {
    TempDir dir;
    const std::string path = makeValues(dir, {"ab cd", "AB CD", "ab cd ", "Ab Cd", "ab cd"}, GetParam());
    Recorder r;
    const split::Result result = runSplit(path, "T", "Value", split::Separator::space(), r);
    EXPECT_EQ(result.failures, 0) << r.failureTexts();
    const auto rows = readTable(path, "T");
    EXPECT_EQ(column(rows, "SPLITCOLUMN1"), (Strings{"ab", "AB", "ab", "Ab", "ab"}));
    EXPECT_EQ(column(rows, "SPLITCOLUMN2"), (Strings{"cd", "CD", "cd", "Cd", "cd"}));
    EXPECT_EQ(column(rows, "SPLITCOLUMN3"), (Strings{"<null>", "<null>", "", "<null>", "<null>"}));
    EXPECT_ORACLE_AGREES(path, "T");
}

// The separators as page 4 offers them, written into the file: a trailing separator gives a last
// empty piece, two in a row an empty piece between them; the line-break choice cuts at CR LF and at
// a bare LF but not at a lone CR; "Other:" with an empty box keeps every value whole.
TEST_P(SplitRun, SeparatorsCutAsTheOptionsSay) {
    TempDir dir;
    struct Case {
        split::Separator separator;
        std::vector<std::optional<std::string>> values;
        std::vector<Strings> columns;
    };
    const std::vector<Case> cases = {
        {split::Separator::space(), {"a b ", "a  b"}, {{"a", "a"}, {"b", ""}, {"", "b"}}},
        {split::Separator::comma(), {"x, y", "x,,y"}, {{"x", "x"}, {" y", ""}, {"<null>", "y"}}},
        {split::Separator::commaSpace(), {"x,y", "x, y, "}, {{"x,y", "x"}, {"<null>", "y"}, {"<null>", ""}}},
        {split::Separator::lineBreak(),
         {"one\r\ntwo", "one\ntwo\r\nthree", "one\rtwo"},
         {{"one", "one", "one\rtwo"}, {"two", "two", "<null>"}, {"<null>", "three", "<null>"}}},
        // An empty "Other:" cuts nothing; a value is cut at the separator only, whatever else it holds.
        {split::Separator::other(""), {"a b", "c|myseparatorz4|d"}, {{"a b", "c|myseparatorz4|d"}}},
        {split::Separator::other("--"),
         {"a--b----c", "a-b"},
         {{"a", "a-b"}, {"b", "<null>"}, {"", "<null>"}, {"c", "<null>"}}},
        {split::Separator::space(), {"c|myseparatorz4|d e"}, {{"c|myseparatorz4|d"}, {"e"}}},
        {split::Separator::comma(), {"a|myseparatorz4,"}, {{"a|myseparatorz4"}, {""}}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        TempDir each;
        const std::string path = makeValues(each, cases[i].values, GetParam());
        Recorder r;
        const split::Result result = runSplit(path, "T", "Value", cases[i].separator, r);
        EXPECT_EQ(result.failures, 0) << r.failureTexts();
        const auto rows = readTable(path, "T");
        ASSERT_EQ(rows[0].size(), cases[i].columns.size() + 1);
        for (std::size_t c = 0; c < cases[i].columns.size(); ++c)
            EXPECT_EQ(column(rows, "SPLITCOLUMN" + std::to_string(c + 1)), cases[i].columns[c]);
        EXPECT_ORACLE_AGREES(path, "T");
    }
}

// Every kind of field finds its records again: numbers and Yes/No through the bare WHERE form,
// dates through the # form, whatever the machine's regional settings.
TEST_P(SplitRun, NumbersDatesAndYesNoAreMatched) {
    TempDir dir;
    using T = jet::ColumnType;
    using K = jet::Value::Kind;
    const std::vector<jet::ColumnSpec> columns = {
        {"Whole", T::Long},     {"Small", T::Integer}, {"Tiny", T::Byte},
        {"Money", T::Currency}, {"Real", T::Double},   {"Float", T::Single},
        {"When", T::DateTime},  {"Flag", T::Boolean},  {"Exact", T::Decimal, 0, 18, 4},
    };
    auto row = [](std::int64_t whole, double real, double days, bool flag, const std::string& exact) {
        return std::vector<jet::Value>{jet::Value::ofInteger(whole),
                                       jet::Value::ofInteger(whole % 100),
                                       jet::Value::ofInteger(whole < 0 ? 1 : whole % 200),
                                       jet::Value::ofInteger(whole * 125, K::Currency),
                                       jet::Value::ofReal(real),
                                       jet::Value::ofReal(real, K::Single),
                                       jet::Value::ofReal(days, K::DateTime),
                                       jet::Value::ofBoolean(flag),
                                       jet::Value::ofText(exact, K::Decimal)};
    };
    const std::string path =
        makeTable(dir, "N", columns,
                  {row(-12, 3.5, 44196.75, true, "-1.2500"), row(7, 0.1, 2.5, false, "0.0000"),
                   row(42, -2.25e-7, 15327.25, true, "12345.6789"), row(7, 0.1, 2.5, false, "0.0000")},
                  GetParam());
    // "." cuts numbers at their decimal mark, " " dates between the day and the time.
    const std::vector<std::pair<std::string, split::Separator>> splits = {
        {"Whole", split::Separator::other("2")}, {"Small", split::Separator::space()},     {"Tiny", split::Separator::space()},
        {"Money", split::Separator::other(".")}, {"Real", split::Separator::other(".")}, {"Float", split::Separator::other(".")},
        {"When", split::Separator::space()},       {"Flag", split::Separator::other("u")}, {"Exact", split::Separator::other(".")},
    };
    for (const auto& [field, separator] : splits) {
        SCOPED_TRACE(field);
        Recorder r;
        const split::Result result = runSplit(path, "N", field, separator, r, field + "_");
        EXPECT_EQ(result.outcome, split::Outcome::Completed);
        EXPECT_EQ(result.failures, 0) << r.failureTexts();
        const auto rows = readTable(path, "N");
        const Strings values = column(rows, field), first = column(rows, field + "_1");
        for (std::size_t i = 0; i < values.size(); ++i)
            EXPECT_NE(first[i], "<null>") << "record " << i + 1 << " (" << values[i] << ") was not found";
    }
    const auto rows = readTable(path, "N");
    EXPECT_EQ(column(rows, "When_1"), (Strings{"2020-12-31", "1900-01-01", "1941-12-17", "1900-01-01"}));
    EXPECT_EQ(column(rows, "When_2"), (Strings{"18:00:00", "12:00:00", "06:00:00", "12:00:00"}));
    EXPECT_EQ(column(rows, "Flag_1"), (Strings{"Tr", "False", "Tr", "False"}));
    EXPECT_EQ(column(rows, "Money_2"), (Strings{"15", "0875", "525", "0875"}));
    EXPECT_EQ(column(rows, "Real_2"), (Strings{"5", "1", "25e-07", "1"}));
    EXPECT_ORACLE_AGREES(path, "N");
}

INSTANTIATE_TEST_SUITE_P(Formats, SplitRun, ::testing::Values(jet::Version::Jet4, jet::Version::Ace12),
                         [](const auto& p) { return p.param == jet::Version::Jet4 ? "Jet4" : "Ace12"; });

// A split that would take the file past the largest size its format allows is refused before any
// change: here a file already at that size, with ten wide values whose pieces need new pages.
TEST(SplitRunFailures, AFileWithoutRoomToGrowIsRefusedBeforeAnyChange) {
    TempDir dir;
    std::vector<std::optional<std::string>> values;
    for (int i = 0; i < 10; ++i)
        values.push_back(std::string(100, static_cast<char>('a' + i)) + " " + std::string(100, 'x') + " " +
                         std::to_string(i));
    const std::string path = makeValues(dir, values);
    const auto size = std::filesystem::file_size(path);
    const auto before = readTable(path, "T");
    std::filesystem::resize_file(path, std::uintmax_t{1} << 31);
    Recorder r;
    const split::Result result = runSplit(path, "T", "Value", split::Separator::space(), r);
    EXPECT_EQ(result.outcome, split::Outcome::Refused);
    EXPECT_EQ(result.statementsSent, 0);
    ASSERT_EQ(r.failures.size(), 1u) << r.failureTexts();
    EXPECT_NE(r.failures[0].description.find("of the 2147 MB its format allows"), std::string::npos)
        << r.failures[0].description;
    EXPECT_EQ(std::filesystem::file_size(path), std::uintmax_t{1} << 31);
    std::filesystem::resize_file(path, size);
    EXPECT_EQ(readTable(path, "T"), before);

    // The same split on a file that can grow completes.
    Recorder again;
    const split::Result second = runSplit(path, "T", "Value", split::Separator::space(), again);
    EXPECT_EQ(second.failures, 0) << again.failureTexts();
    const auto rows = readTable(path, "T");
    for (int i = 0; i < 10; ++i) {
        const auto& row = rows[static_cast<std::size_t>(i) + 1];
        EXPECT_EQ(row[1], std::string(100, static_cast<char>('a' + i)));
        EXPECT_EQ(row[2], std::string(100, 'x'));
        EXPECT_EQ(row[3], std::to_string(i));
    }
    EXPECT_ORACLE_AGREES(path, "T");
}
