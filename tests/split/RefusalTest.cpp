// What the split refuses before anything in the file changes, how it ends when the database cannot
// be opened or read, and runs that are stopped, started twice or only tried (the dry run).

#include "SplitSupport.h"
#include "jet/format/CodePage.h"
#include "jet/read/Database.h"
#include "split/Label.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace splittest;
using Strings = std::vector<std::string>;

namespace {

// Runs a split that must be refused: one report per refusal, at the refusal's line, nothing sent,
// the file byte for byte as it was.
std::vector<split::Failure> refused(const std::string& path, const std::string& table,
                                    const std::string& field, const split::Separator& separator,
                                    const std::string& label) {
    const std::string before = fileBytes(path);
    Recorder r;
    const split::Result result = runSplit(path, table, field, separator, r, label);
    EXPECT_EQ(result.outcome, split::Outcome::Refused) << r.failureTexts();
    EXPECT_EQ(result.statementsSent, 0);
    EXPECT_TRUE(r.progress.empty());
    EXPECT_FALSE(result.table);
    EXPECT_EQ(r.ends, 1);
    EXPECT_TRUE(fileBytes(path) == before) << "the file changed";
    return r.failures;
}

std::string onlyFailure(const std::vector<split::Failure>& failures) {
    EXPECT_EQ(failures.size(), 1u);
    return failures.empty() ? "" : failures[0].description;
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(SplitLabel, PlainNamesOfAnyScriptAndNothingElse) {
    for (const char* good :
         {"SPLITCOLUMN", "x", "_", "part_", "Straße", "Часть", "部分", "μέρος", "جزء", "a1"})
        EXPECT_TRUE(split::IsPlainName(good)) << good;
    for (const char* bad : {"", "1st", "my col", "a]b", "a`b", "a[b", "a.b", "a-b", "a'b", "a€", "a\xff",
                            "a\xc3", "\xc0\x80", "a\tb"})
        EXPECT_FALSE(split::IsPlainName(bad)) << bad;
    // 64 characters with the number: 62 + "10" is the longest label for ten columns.
    EXPECT_FALSE(split::LabelRefusal(std::string(62, 'L'), 10));
    EXPECT_TRUE(split::LabelRefusal(std::string(62, 'L'), 100));
    EXPECT_TRUE(split::LabelRefusal(std::string(64, 'L'), 1));
}

TEST(SplitRefusal, LabelsThatCannotNameTheColumns) {
    TempDir dir;
    const std::string path = makeValues(dir, {"a b", "c d e"});
    for (const std::string label : {"", "my col", "a]b", "`x", "2nd"}) {
        SCOPED_TRACE(label);
        const auto failures = refused(path, "T", "Value", split::Separator::space(), label);
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0].step, split::Step::Refusal);
        EXPECT_TRUE(has(failures[0].description, "Nothing was changed.")) << failures[0].description;
    }
    // Three columns of a 63-character label would be 64 characters each: taken; 64 are not.
    EXPECT_TRUE(has(onlyFailure(refused(path, "T", "Value", split::Separator::space(), std::string(64, 'L'))), "too long"));
    Recorder r;
    EXPECT_EQ(runSplit(path, "T", "Value", split::Separator::space(), r, std::string(63, 'L')).outcome,
              split::Outcome::Completed)
        << r.failureTexts();
}

// Access 97 keeps text in a code page: a label it cannot spell, or a value holding a character it
// lacks (here a byte GBK does not define, read as U+FFFD), is refused before anything changes;
// text it can hold splits, also in a code page of two bytes a character.
TEST(SplitRefusal, TextAnAccess97DatabaseCannotHold) {
    TempDir dir;
    const std::string path = makeValues(dir, {"a b", "Zoë Ärger"}, jet::Version::Jet3);
    const std::string label = onlyFailure(refused(path, "T", "Value", split::Separator::space(), "Часть"));
    EXPECT_TRUE(has(label, "U+0427") && has(label, "1252") && has(label, "Nothing was changed.")) << label;

    if (!jet::codePageKnown(936)) GTEST_SKIP() << "the C library has no converter for code page 936";
    const std::string gbk = dir.file("gbk.mdb");
    {
        jet::CreateOptions options;
        options.version = jet::Version::Jet3;
        options.codePage = 936;
        jet::DatabaseCreator creator(gbk, options);
        auto& t = creator.addTable("T", {{"Value", jet::ColumnType::Text, 20}});
        for (const char* v : {"中文 甲乙", "好 人", "坏 字"})
            t.append({text(v)});
        creator.finish();
    }
    std::string bytes = fileBytes(gbk);
    const std::size_t bad = bytes.find("\xBB\xB5 "); // 坏, the third record's first character
    ASSERT_NE(bad, std::string::npos);
    bytes[bad] = '\xFF';
    std::ofstream(gbk, std::ios::binary) << bytes;
    const std::string why = onlyFailure(refused(gbk, "T", "Value", split::Separator::space(), "Part"));
    EXPECT_TRUE(has(why, "U+FFFD") && has(why, "936") && has(why, "1 record: record 3")) << why;

    bytes[bad] = '\xBB';
    std::ofstream(gbk, std::ios::binary) << bytes;
    Recorder r;
    EXPECT_EQ(runSplit(gbk, "T", "Value", split::Separator::space(), r, "Part").outcome, split::Outcome::Completed)
        << r.failureTexts();
    auto db = jet::Database::open(gbk);
    auto rows = db->rows("T");
    std::vector<std::string> seen;
    std::vector<jet::Value> values;
    while (rows.next(values))
        seen.push_back(values.at(1).text + "|" + values.at(2).text);
    EXPECT_EQ(seen, (Strings{"中文|甲乙", "好|人", "坏|字"}));
}

TEST(SplitRefusal, ALabelThatWouldDropTheFieldBeingSplit) {
    TempDir dir;
    using T = jet::ColumnType;
    const std::string path = makeTable(dir, "T", {{"ID", T::Long}, {"splitcolumn2", T::Text, 50}},
                                       {{jet::Value::ofInteger(1), text("a b")}});
    EXPECT_TRUE(has(onlyFailure(refused(path, "T", "splitcolumn2", split::Separator::space(), "SPLITCOLUMN")),
                    "the field being split"));
    // With one piece, SPLITCOLUMN2 is not among the columns made, so the split goes ahead.
    Recorder r;
    EXPECT_EQ(runSplit(path, "T", "splitcolumn2", split::Separator::comma(), r).outcome, split::Outcome::Completed)
        << r.failureTexts();
    EXPECT_EQ(column(readTable(path, "T"), "SPLITCOLUMN1"), Strings{"a b"});
}

TEST(SplitRefusal, SystemTablesAndBinaryFields) {
    TempDir dir;
    using T = jet::ColumnType;
    jet::Value blob;
    blob.kind = jet::Value::Kind::Binary;
    blob.bytes = {1, 2, 3};
    const std::string path = makeTable(dir, "Files", {{"Name", T::Text, 50}, {"Data", T::Ole}},
                                       {{text("a b"), blob}}, jet::Version::Jet4);
    for (const std::string table : {"MSysObjects", "msysobjects", "MSysACEs"}) {
        const std::string why = onlyFailure(refused(path, table, "Name", split::Separator::space(), "SPLITCOLUMN"));
        EXPECT_EQ(why, "You do not have the necessary permissions to use the '" + table +
                           "' object. Have your system administrator or the person who created this object "
                           "establish the appropriate permissions for you.");
    }
    EXPECT_TRUE(has(onlyFailure(refused(path, "Files", "Data", split::Separator::space(), "SPLITCOLUMN")), "binary"));
}

// Pieces longer than a text column, and more columns than a table holds: one message each, with
// the number of records and the first few of them.
TEST(SplitRefusal, PiecesTooLongAndTooManyColumns) {
    TempDir dir;
    std::vector<std::optional<std::string>> values = {"short"};
    for (int i = 0; i < 7; ++i)
        values.push_back(std::string(256, static_cast<char>('a' + i)) + " x");
    values.push_back(std::string(255, 'z') + " x"); // exactly 255: fits
    const std::string path = makeValues(dir, values, jet::Version::Jet4, {"Value", jet::ColumnType::Memo});
    const std::string tooLong = onlyFailure(refused(path, "T", "Value", split::Separator::space(), "SPLITCOLUMN"));
    EXPECT_TRUE(has(tooLong, "255 characters")) << tooLong;
    EXPECT_TRUE(has(tooLong, "7 records, the first: record 2 (\"aaaa")) << tooLong;
    EXPECT_TRUE(has(tooLong, "record 6")) << tooLong;
    EXPECT_FALSE(has(tooLong, "record 7")) << tooLong;
    EXPECT_FALSE(has(tooLong, "record 9")) << tooLong;

    TempDir wide;
    std::string many;
    for (int i = 0; i < 254; ++i)
        many += "p ";
    const std::string widePath =
        makeValues(wide, {"a", many + "p", "b"}, jet::Version::Jet4, {"Value", jet::ColumnType::Memo});
    const std::string tooWide = onlyFailure(refused(widePath, "T", "Value", split::Separator::space(), "S"));
    EXPECT_TRUE(has(tooWide, "255 new fields")) << tooWide;
    EXPECT_TRUE(has(tooWide, "1 record: record 2")) << tooWide;
    // 254 pieces and the field itself make 255 columns: allowed.
    TempDir fit;
    const std::string fitPath = makeValues(fit, {many.substr(0, many.size() - 1)}, jet::Version::Jet4,
                                           {"Value", jet::ColumnType::Memo});
    Recorder r;
    EXPECT_EQ(runSplit(fitPath, "T", "Value", split::Separator::space(), r, "S", split::Mode::DryRun).outcome,
              split::Outcome::Completed)
        << r.failureTexts();
    EXPECT_EQ(r.end.plan->columns.size(), 254u);
}

TEST(SplitRefusal, EveryRefusalIsToldAtOnce) {
    TempDir dir;
    const std::string path =
        makeValues(dir, {std::string(300, 'a')}, jet::Version::Jet4, {"Value", jet::ColumnType::Memo});
    const auto failures = refused(path, "T", "Value", split::Separator::space(), "bad label");
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_TRUE(has(failures[0].description, "'bad label'"));
    EXPECT_TRUE(has(failures[1].description, "255 characters"));
}

// When the database cannot be opened, or the table or field read, that failure is told once and
// the run ends; nothing is written.
TEST(SplitStop, OpeningOrReadingFailsOnce) {
    TempDir dir;
    const std::string path = makeValues(dir, {"a b"});
    struct Case {
        std::string path, table, field;
        split::Step step;
        std::string says;
    };
    const std::vector<Case> cases = {
        {dir.file("missing.mdb"), "T", "Value", split::Step::Open, "Could not find file"},
        {path, "Nope", "Value", split::Step::ReadField, "cannot find the input table"},
        {path, "T", "Nope", split::Step::ReadField, ""},
    };
    const std::string before = fileBytes(path);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table + "." + c.field);
        Recorder r;
        const split::Result result = runSplit(c.path, c.table, c.field, split::Separator::space(), r);
        EXPECT_EQ(result.outcome, split::Outcome::Stopped);
        ASSERT_EQ(r.failures.size(), 1u) << r.failureTexts();
        EXPECT_EQ(r.failures[0].step, c.step);
        EXPECT_TRUE(has(r.failures[0].description, c.says)) << r.failures[0].description;
        EXPECT_EQ(r.ends, 1);
    }
    EXPECT_TRUE(fileBytes(path) == before);

    // A database with a password, opened without it.
    TempDir locked;
    const std::string secret = locked.file("secret.mdb");
    {
        jet::CreateOptions options;
        options.password = "pw";
        jet::DatabaseCreator creator(secret, options);
        creator.addTable("T", {{"Value", jet::ColumnType::Text, 50}}).append({text("a b")});
        creator.finish();
    }
    Recorder r;
    EXPECT_EQ(runSplit(secret, "T", "Value", split::Separator::space(), r).outcome, split::Outcome::Stopped);
    ASSERT_EQ(r.failures.size(), 1u);
    EXPECT_EQ(r.failures[0].description, "Not a valid password.");
}

// A second Finish during a run's yields is refused; the first run goes on undisturbed.
TEST(SplitRun, ASecondRunWhileOneIsInProgressIsRefused) {
    TempDir dir;
    const std::string path = makeValues(dir, {"a b", "c d"});
    struct Reentrant : Recorder {
        std::string path;
        Recorder inner;
        split::Result innerResult;
        bool tried = false;
        bool onYield() override {
            if (!tried) {
                tried = true;
                EXPECT_TRUE(split::Running());
                innerResult = runSplit(path, "T", "Value", split::Separator::space(), inner);
            }
            return true;
        }
    } outer;
    outer.path = path;
    EXPECT_FALSE(split::Running());
    const split::Result result = runSplit(path, "T", "Value", split::Separator::space(), outer);
    EXPECT_FALSE(split::Running());
    EXPECT_EQ(result.outcome, split::Outcome::Completed) << outer.failureTexts();
    EXPECT_EQ(outer.innerResult.outcome, split::Outcome::Busy);
    ASSERT_EQ(outer.inner.failures.size(), 1u);
    EXPECT_EQ(outer.inner.failures[0].step, split::Step::AlreadyRunning);
    EXPECT_EQ(outer.inner.ends, 1);
    EXPECT_EQ(column(readTable(path, "T"), "SPLITCOLUMN2"), (Strings{"b", "d"}));
}

// An observer that stops the run leaves what was executed in the file; the same split run again
// completes it.
TEST(SplitRun, AStoppedRunIsCompletedByRunningItAgain) {
    TempDir dir;
    std::vector<std::optional<std::string>> values;
    for (int i = 0; i < 40; ++i)
        values.push_back("v" + std::to_string(i) + " w x");
    const std::string path = makeValues(dir, values);
    Recorder stopped;
    stopped.stopAfterYields = 40 + 40 + 40 + 3 + 3 + 30; // read, cut, count by pieces, check, columns, some updates
    const split::Result first = runSplit(path, "T", "Value", split::Separator::space(), stopped);
    EXPECT_EQ(first.outcome, split::Outcome::Stopped);
    EXPECT_TRUE(stopped.failures.empty()) << stopped.failureTexts();
    const auto partly = column(readTable(path, "T"), "SPLITCOLUMN1");
    EXPECT_EQ(partly.front(), "v0");
    EXPECT_EQ(partly.back(), "<null>");
    EXPECT_ORACLE_AGREES(path, "T");

    Recorder again;
    EXPECT_EQ(runSplit(path, "T", "Value", split::Separator::space(), again).outcome, split::Outcome::Completed);
    EXPECT_TRUE(again.failures.empty()) << again.failureTexts();
    const auto rows = readTable(path, "T");
    EXPECT_EQ(column(rows, "SPLITCOLUMN1").back(), "v39");
    EXPECT_EQ(column(rows, "SPLITCOLUMN3").back(), "x");
    EXPECT_EQ(rows[0].size(), 4u);
}

// The dry run reads and checks but leaves the file as it was, and tells what the run would make.
TEST(SplitDryRun, TellsWhatTheRunWouldMakeAndChangesNothing) {
    TempDir dir;
    using T = jet::ColumnType;
    const std::string path = makeTable(
        dir, "T", {{"Value", T::Text, 100}, {"SPLITCOLUMN2", T::Text, 10}},
        {{text("a b c"), null()}, {null(), null()}, {text("d e"), null()}, {text("a b c"), null()}});
    const std::string before = fileBytes(path);
    Recorder r;
    const split::Result result =
        runSplit(path, "T", "Value", split::Separator::space(), r, "SPLITCOLUMN", split::Mode::DryRun);
    EXPECT_EQ(result.outcome, split::Outcome::Completed) << r.failureTexts();
    EXPECT_TRUE(fileBytes(path) == before);
    EXPECT_TRUE(r.statements.empty());
    EXPECT_FALSE(result.table);
    const split::Plan& p = *result.plan;
    EXPECT_EQ(p.records(), 4);
    EXPECT_EQ(p.fieldType(), 202);
    ASSERT_EQ(p.columns.size(), 3u);
    EXPECT_EQ(p.columns[0].filled, 3);
    EXPECT_EQ(p.columns[1].filled, 3);
    EXPECT_EQ(p.columns[2].filled, 2);
    EXPECT_EQ(p.columns[0].fate, split::PlannedColumn::Fate::New);
    EXPECT_EQ(p.columns[1].fate, split::PlannedColumn::Fate::Replace);
    EXPECT_EQ(p.statements, 5);
    ASSERT_EQ(p.firstRecords.size(), 4u);
    EXPECT_EQ(p.firstRecords[0].pieces, (Strings{"a", "b", "c"}));
    EXPECT_TRUE(p.firstRecords[1].pieces.empty());

    // Refusals are the real run's.
    Recorder bad;
    EXPECT_EQ(runSplit(path, "T", "Value", split::Separator::space(), bad, "a b", split::Mode::DryRun).outcome,
              split::Outcome::Refused);
    EXPECT_EQ(bad.failures.size(), 1u);
    EXPECT_TRUE(fileBytes(path) == before);
}
