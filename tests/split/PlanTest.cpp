// The plan a split makes before it changes anything: where values are cut, what becomes of the
// columns a label names already (a re-run refills its own columns and spends no column numbers),
// and the room a table and its file have left, refused before any change when it would run out.

#include "SplitSupport.h"
#include "split/Pieces.h"
#include "split/Plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace splittest;
using Strings = std::vector<std::string>;
using Fate = split::PlannedColumn::Fate;

namespace {

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The table's shape as the data layer tells it.
db::TableShape shapeOf(const std::string& path, const std::string& table) {
    ADODB::Connection cn;
    cn.Open(connectionString(path));
    return cn.Shape(table);
}

void execute(const std::string& path, const std::string& statement) {
    ADODB::Connection cn;
    cn.Mode = ADODB::adModeReadWrite;
    cn.Open(connectionString(path));
    cn.Execute(statement);
    cn.Close();
}

std::string joined(const std::vector<std::string>& pieces, const std::string& separator) {
    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i)
        out += (i ? separator : "") + pieces[i];
    return out;
}

std::string pieces(int n, std::size_t length, char first = 'a') {
    std::string value;
    for (int k = 0; k < n; ++k)
        value += (k ? " " : "") + std::string(length, static_cast<char>(first + k % 26));
    return value;
}

} // namespace

// A value is cut at the separator and nowhere else: its pieces joined by the separator give it back,
// whatever else it holds (the text of another separator, or of any marker).
TEST(SplitSeparator, PiecesJoinedByTheSeparatorGiveTheValueBack) {
    const std::vector<std::pair<split::Separator, std::string>> separators = {
        {split::Separator::space(), " "},
        {split::Separator::comma(), ","},
        {split::Separator::commaSpace(), ", "},
        {split::Separator::other("|myseparatorz4|"), "|myseparatorz4|"},
        {split::Separator::other("aa"), "aa"},
    };
    const std::string alphabet = " ,a|\r\nmyseparatorz4";
    std::mt19937 random(7);
    for (const auto& [separator, text] : separators)
        for (int i = 0; i < 2000; ++i) {
            std::string value;
            for (int n = static_cast<int>(random() % 24); n > 0; --n)
                value += alphabet[random() % alphabet.size()];
            const auto cut = split::Cut(value, separator);
            EXPECT_EQ(joined(cut, text), value) << split::Describe(separator);
            EXPECT_EQ(cut.empty(), value.empty());
            // Cut at every separator: none is left inside a piece.
            for (const std::string& piece : cut)
                EXPECT_EQ(piece.find(text), std::string::npos) << value;
            // A line break: a piece for each line feed and one more, none holding a feed.
            const auto lines = split::Cut(value, split::Separator::lineBreak());
            if (!value.empty()) {
                EXPECT_EQ(lines.size(), std::count(value.begin(), value.end(), '\n') + 1u) << value;
            }
            for (const std::string& line : lines)
                EXPECT_EQ(line.find('\n'), std::string::npos) << value;
        }
    // A line break is CR LF or a lone LF, the pair taken first; a lone CR stays.
    EXPECT_EQ(split::Cut("a\r\r\nb\n\rc", split::Separator::lineBreak()), (Strings{"a\r", "b", "\rc"}));
    EXPECT_EQ(split::Cut("a b", split::Separator::other("")), (Strings{"a b"}));
}

// Run again, a split keeps its own columns (text of 255 characters), empties and refills them:
// the values are those of a first run, stale pieces do not stay, and no column number is spent,
// so a table of many pieces can be split as often as a user needs.
TEST(SplitRerun, ColumnsOfTheLabelAreRefilledInPlaceAndSpendNoColumnNumbers) {
    TempDir dir;
    const std::string wide = pieces(120, 1);
    const std::string path = makeValues(dir, {wide, "x y z", std::nullopt});
    int numbersAfterFirst = -1;
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        Recorder r;
        const split::Result result = runSplit(path, "T", "Value", split::Separator::space(), r);
        ASSERT_EQ(result.outcome, split::Outcome::Completed) << r.failureTexts();
        EXPECT_EQ(result.failures, 0) << r.failureTexts();
        ASSERT_EQ(result.plan->columns.size(), 120u);
        EXPECT_EQ(result.plan->columns[0].fate, run == 1 ? Fate::New : Fate::Refill);
        const db::TableShape shape = shapeOf(path, "T");
        EXPECT_EQ(shape.columns.size(), 121u);
        if (run == 1) numbersAfterFirst = shape.columnNumbersLeft;
        EXPECT_EQ(shape.columnNumbersLeft, numbersAfterFirst);
        const auto rows = readTable(path, "T");
        EXPECT_EQ(column(rows, "SPLITCOLUMN1"), (Strings{"a", "x", "<null>"}));
        EXPECT_EQ(column(rows, "SPLITCOLUMN120"), (Strings{std::string(1, 'a' + 119 % 26), "<null>", "<null>"}));
    }
    // Values that now have fewer pieces leave nothing of their old ones behind.
    Recorder fewer;
    const split::Result result = runSplit(path, "T", "Value", split::Separator::other(" y "), fewer);
    ASSERT_EQ(result.outcome, split::Outcome::Completed) << fewer.failureTexts();
    EXPECT_EQ(result.failures, 0) << fewer.failureTexts();
    const auto rows = readTable(path, "T");
    EXPECT_EQ(column(rows, "SPLITCOLUMN1")[1], "x");
    EXPECT_EQ(column(rows, "SPLITCOLUMN2")[1], "z");
    EXPECT_EQ(column(rows, "SPLITCOLUMN3")[1], "<null>");
    EXPECT_EQ(column(rows, "SPLITCOLUMN1")[0], wide.substr(0, wide.find(" y ")));
    EXPECT_ORACLE_AGREES(path, "T");
}

// What a table or its file has no room for is refused before anything changes: the column numbers
// that dropped columns spent, rows longer than a page takes, a file past its format's largest size.
TEST(SplitRoom, NoRoomIsRefusedBeforeAnyChange) {
    TempDir dir;
    using T = jet::ColumnType;
    std::vector<jet::ColumnSpec> columns = {{"Value", T::Text, 255}};
    for (int i = 1; i < 200; ++i)
        columns.push_back({"Old" + std::to_string(i), T::Text, 10});
    std::vector<jet::Value> row(columns.size());
    row[0] = text(pieces(60, 1));
    const std::string path = makeTable(dir, "T", columns, {row});
    for (int i = 1; i <= 60; ++i)
        execute(path, "ALTER TABLE [T] DROP [Old" + std::to_string(i) + "]");
    ASSERT_EQ(shapeOf(path, "T").columnNumbersLeft, 55);
    const std::string before = fileBytes(path);
    Recorder numbers;
    EXPECT_EQ(runSplit(path, "T", "Value", split::Separator::space(), numbers).outcome, split::Outcome::Refused);
    ASSERT_EQ(numbers.failures.size(), 1u) << numbers.failureTexts();
    EXPECT_TRUE(has(numbers.failures[0].description, "has only 55 field numbers left"))
        << numbers.failures[0].description;
    EXPECT_TRUE(fileBytes(path) == before);
    // Within the numbers left, the same table splits.
    execute(path, "UPDATE `T` SET Value = '" + pieces(55, 1) + "'");
    Recorder fits;
    EXPECT_EQ(runSplit(path, "T", "Value", split::Separator::space(), fits).outcome, split::Outcome::Completed)
        << fits.failureTexts();

    // Twenty pieces of 250 characters make a row no page takes; fifteen of 250 fit.
    TempDir rows;
    const std::string widePath =
        makeValues(rows, {pieces(20, 250), "short"}, jet::Version::Jet4, {"Value", T::Memo, 0});
    const std::string wideBefore = fileBytes(widePath);
    for (split::Mode mode : {split::Mode::DryRun, split::Mode::Split}) {
        Recorder r;
        EXPECT_EQ(runSplit(widePath, "T", "Value", split::Separator::space(), r, "S", mode).outcome,
                  split::Outcome::Refused);
        ASSERT_EQ(r.failures.size(), 1u) << r.failureTexts();
        EXPECT_TRUE(has(r.failures[0].description, "bytes a record can hold, in 1 record: record 1"))
            << r.failures[0].description;
    }
    EXPECT_TRUE(fileBytes(widePath) == wideBefore);
    TempDir fit;
    const std::string fitPath = makeValues(fit, {pieces(15, 250)}, jet::Version::Jet4, {"Value", T::Memo, 0});
    Recorder r;
    EXPECT_EQ(runSplit(fitPath, "T", "Value", split::Separator::space(), r, "S").outcome, split::Outcome::Completed)
        << r.failureTexts();
    EXPECT_EQ(r.failures.size(), 0u) << r.failureTexts();
    EXPECT_ORACLE_AGREES(fitPath, "T");
}

TEST(SplitRoom, AFileThatWouldPassItsLargestSizeIsRefused) {
    auto source = std::make_shared<split::Source>();
    source->inputs.table = "T";
    source->fieldType = ADODB::adVarWChar;
    source->shape.maxRowBytes = 4060;
    source->shape.columnNumbersLeft = 250;
    source->shape.maxFileBytes = 2'147'483'648u;
    const std::string value = pieces(4, 50);
    source->texts.insert(value);
    source->holders = {1'000'000};
    source->records.assign(1'000'000, 0);
    source->first.assign(1'000'000, false);
    source->first[0] = true;
    source->shape.fileBytes = 1'000'000'000;
    const split::Plan room = split::MakePlan(source, split::Separator::space(), "S");
    for (const split::Refusal& r : room.refusals)
        ADD_FAILURE() << r.text;
    source->shape.fileBytes = 1'200'000'000;
    const split::Plan full = split::MakePlan(source, split::Separator::space(), "S");
    ASSERT_EQ(full.refusals.size(), 1u);
    EXPECT_TRUE(has(full.refusals[0].text, "larger (an estimate with a quarter to spare)")) << full.refusals[0].text;
}

// A file that cannot be changed is read for the dry run, which sees its columns as the real split
// would: an existing column of the label is told with the values it holds.
TEST(SplitDryRun, AReadOnlyFileShowsTheColumnsItHas) {
    TempDir dir;
    using T = jet::ColumnType;
    const std::string path = makeTable(dir, "T", {{"Value", T::Text, 100}, {"SPLITCOLUMN1", T::Text, 255}},
                                       {{text("a b"), text("old")}, {text("c"), null()}});
    std::filesystem::permissions(path, std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                           std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    Recorder r;
    const split::Result result =
        runSplit(path, "T", "Value", split::Separator::space(), r, "SPLITCOLUMN", split::Mode::DryRun);
    EXPECT_EQ(result.outcome, split::Outcome::Refused);
    ASSERT_TRUE(result.plan);
    EXPECT_TRUE(result.plan->refusals.empty());
    EXPECT_FALSE(result.plan->notWritable().empty());
    ASSERT_EQ(result.plan->columns.size(), 2u);
    EXPECT_EQ(result.plan->columns[0].fate, Fate::Refill);
    EXPECT_EQ(result.plan->columns[0].valuesNow, 1);
    EXPECT_EQ(result.plan->columns[1].fate, Fate::New);
    ASSERT_EQ(result.plan->replacedWithValues().size(), 1u);
    EXPECT_EQ(result.plan->replacedWithValues()[0]->name, "SPLITCOLUMN1");
}
