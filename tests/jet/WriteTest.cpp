// In-place writing: the session's refusals, text columns added and dropped, rows updated in place
// and moved, each change checked by every reader against what the table held before.

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sys/stat.h>

#include "WriteSupport.h"
#include "jet/base/Error.h"
#include "jet/read/Relationships.h"
#include "jet/read/UsageMap.h"

namespace {

using namespace writetest;
using jet::DatabaseWriter;

std::vector<jet::RowKey> keysOf(DatabaseWriter& w, const std::string& table) {
    std::vector<jet::RowKey> keys;
    w.scan(table, 0, [&](jet::RowKey k, const jet::Value&) { keys.push_back(k); });
    return keys;
}

std::size_t columnIndex(DatabaseWriter& w, const std::string& table, const std::string& name) {
    const auto& cols = w.table(table)->columns;
    for (std::size_t i = 0; i < cols.size(); ++i)
        if (cols[i].name == name) return i;
    throw std::runtime_error("no column " + name);
}

TEST(WriteSession, RefusesWhatItCannotChangeSafely) {
    TempDir dir;
    const std::string db = dir.file("p.mdb");
    makePeople(db, 3);
    {
        DatabaseWriter w(db);
        EXPECT_NE(errorOf([&] { DatabaseWriter second(db); }).find("another program is changing"),
                  std::string::npos);
    }
    std::ofstream(dir.file("p.ldb")) << "";
    EXPECT_NE(errorOf([&] { DatabaseWriter w(db); }).find("lock file"), std::string::npos);
    std::filesystem::remove(dir.file("p.ldb"));
    ::chmod(db.c_str(), 0444); // refused also to root, who could write it
    EXPECT_NE(errorOf([&] { DatabaseWriter w(db); }).find("read-only"), std::string::npos);
    ::chmod(db.c_str(), 0644);
    if (std::string enc = fixture("ace14-2010-agile-password.accdb"); !enc.empty()) {
        std::filesystem::copy_file(enc, dir.file("enc.accdb"));
        std::filesystem::permissions(dir.file("enc.accdb"), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        EXPECT_NE(errorOf([&] { DatabaseWriter w(dir.file("enc.accdb")); }).find("Not a valid password."),
                  std::string::npos);
    }
}

TEST(AddTextColumn, OldRowsReadNullAndNewValuesGoIn) {
    for (jet::Version v : {jet::Version::Jet4, jet::Version::Ace12}) {
        TempDir dir;
        const std::string db = dir.file(v == jet::Version::Jet4 ? "p.mdb" : "p.accdb");
        makePeople(db, 300, v);
        auto before = readTable(db, "People");
        jet::RowKey seventh = 0;
        {
            DatabaseWriter w(db);
            w.addTextColumn("people", "Part1", 20);
            w.addTextColumn("People", "Part2");
            auto def = w.table("People");
            ASSERT_EQ(def->columns.size(), 7u);
            EXPECT_EQ(def->columns[5].name, "Part1");
            EXPECT_EQ(def->columns[5].length, 40);
            EXPECT_EQ(def->columns[6].length, 510);
            seventh = keysOf(w, "People")[7];
            w.update("People", seventh, {{5, text("seven")}});
        }
        auto after = readTable(db, "People");
        ASSERT_EQ(after.size(), before.size());
        for (auto& [key, row] : before) {
            auto got = after.at(key);
            std::vector<std::string> want = row;
            want.push_back(key == seventh ? "'seven" : "null");
            want.push_back("null");
            EXPECT_EQ(got, want);
        }
    }
}

TEST(AddTextColumn, ATableOfFixedColumnsHasItsRowsRewrittenFirst) {
    TempDir dir;
    const std::string db = dir.file("f.mdb");
    using T = jet::ColumnType;
    {
        jet::DatabaseCreator c(db, {});
        auto& t = c.addTable("Fixed", {{"ID", T::Long}, {"Flag", T::Boolean}, {"Amount", T::Double}});
        for (int i = 0; i < 3000; ++i) {
            jet::Value flag, amount;
            flag.kind = jet::Value::Kind::Boolean;
            flag.boolean = i % 2;
            amount.kind = jet::Value::Kind::Double;
            amount.real = i * 1.5;
            t.append({integer(i), flag, i % 7 ? amount : jet::Value{}});
        }
        c.finish();
    }
    std::string snap = dir.file("snap");
    bool checkers = haveCheckers();
    if (checkers) snapshot(db, "Fixed", snap);
    auto model = readTable(db, "Fixed");
    {
        // The state a crash may leave between the rows and the definition: rows with a
        // variable-offset table under a definition without variable columns read as before.
        DatabaseWriter w(db);
        auto def = w.table("Fixed");
        jet::TableDef wider = *def;
        jet::Column label;
        label.name = "Label";
        label.number = def->maxColumns;
        label.flags = jet::column_flag::Nullable;
        label.length = 60;
        wider.columns.push_back(label);
        wider.maxColumns = static_cast<std::uint16_t>(def->maxColumns + 1);
        wider.varColumns = 1;
        jet::RowUpdater rewrite(w.pages(), *def, &wider);
        for (jet::RowKey k : keysOf(w, "Fixed"))
            rewrite.update(jet::rowIdOf(k), {});
        w.pages().commit();
    }
    EXPECT_EQ(readTable(db, "Fixed"), model);
    if (checkers) {
        EXPECT_EQ(checkAgainst(db, "Fixed", snap), "");
    }
    {
        DatabaseWriter w(db);
        w.addTextColumn("Fixed", "Label", 30);
        w.beginBatch();
        for (auto& [key, row] : model) {
            w.update("Fixed", key, {{3, text("label")}});
            row.push_back("'label");
        }
        w.commit();
    }
    EXPECT_EQ(readTable(db, "Fixed"), model);
    if (checkers) {
        EXPECT_EQ(checkAgainst(db, "Fixed", snap, {"--set", "Label=label"}), "");
    }
}

TEST(AddTextColumn, RefusesWhatAccessRefuses) {
    TempDir dir;
    const std::string db = dir.file("p.mdb");
    makePeople(db, 2);
    auto original = bytesOf(db);
    DatabaseWriter w(db);
    EXPECT_NE(errorOf([&] { w.addTextColumn("People", "CITY"); }).find("already has a column named \"City\""),
              std::string::npos);
    EXPECT_NE(errorOf([&] { w.addTextColumn("People", "a.b"); }), "");
    EXPECT_NE(errorOf([&] { w.addTextColumn("People", std::string(65, 'x')); }), "");
    EXPECT_NE(errorOf([&] { w.addTextColumn("People", "Fine", 0); }), "");
    EXPECT_NE(errorOf([&] { w.addTextColumn("People", "Fine", 256); }), "");
    EXPECT_NE(errorOf([&] { w.addTextColumn("Nobody", "Fine"); }), "");
    w.commit();
    EXPECT_EQ(bytesOf(db), original);
}

TEST(AddTextColumn, DefinitionSpillsOntoNewPagesUpTo255Columns) {
    TempDir dir;
    const std::string db = dir.file("p.mdb");
    makePeople(db, 50);
    {
        DatabaseWriter w(db);
        for (int i = 5; i < 255; ++i)
            w.addTextColumn("People", "A rather long column name number " + std::to_string(i), 10);
        EXPECT_NE(errorOf([&] { w.addTextColumn("People", "One too many"); }).find("255"), std::string::npos);
        auto def = w.table("People");
        EXPECT_EQ(def->columns.size(), 255u);
        EXPECT_GT(def->pages.size(), 5u);
        auto keys = keysOf(w, "People");
        w.update("People", keys[3], {{254, text("last")}, {5, text("first")}});
    }
    auto rows = readTable(db, "People");
    ASSERT_EQ(rows.size(), 50u);
    int set = 0;
    for (auto& [k, r] : rows)
        set += r[254] == "'last" && r[5] == "'first";
    EXPECT_EQ(set, 1);

    // Dropping most of them again shrinks the definition onto fewer pages; the memo column goes
    // with its long-value map entry.
    {
        DatabaseWriter w(db);
        for (int i = 6; i < 254; ++i)
            w.dropColumn("People", "A rather long column name number " + std::to_string(i));
        w.dropColumn("People", "Notes");
        EXPECT_EQ(w.table("People")->pages.size(), 1u);
    }
    auto after = readTable(db, "People");
    for (auto& [k, r] : rows) {
        std::vector<std::string> want(r.begin(), r.begin() + 6);
        want.erase(want.begin() + 3);
        want.push_back(r[254]);
        EXPECT_EQ(after.at(k), want);
    }
    if (haveCheckers()) {
        EXPECT_EQ(checkAgainst(db, "People", "-", {}, "agree"), "");
    }
}

TEST(UpdateRow, InPlaceGrowAndShrinkKeepEveryOtherValue) {
    TempDir dir;
    const std::string db = dir.file("p.mdb");
    makePeople(db, 200);
    auto model = readTable(db, "People");
    {
        DatabaseWriter w(db);
        auto keys = keysOf(w, "People");
        w.update("People", keys[0], {{1, text("a much longer name than before, for row zero")}});
        w.update("People", keys[1], {{1, text("x")}, {2, jet::Value{}}});
        w.update("People", keys[2], {{0, integer(-5)}, {4, jet::Value{}}, {3, text("a short memo")}});
        w.update("People", keys[5], {{3, jet::Value{}}});
        EXPECT_NE(errorOf([&] {
                      w.update("People", keys[6], {{3, text(std::string(300, 'm'))}});
                  }).find("cannot be written yet"),
                  std::string::npos);
        model[keys[0]][1] = "'a much longer name than before, for row zero";
        model[keys[1]][1] = "'x";
        model[keys[1]][2] = "null";
        model[keys[2]][0] = "-5";
        model[keys[2]][4] = "null";
        model[keys[2]][3] = "'a short memo";
        model[keys[5]][3] = "null";
        // A NUL character: the value is stored uncompressed, where a zero byte would switch modes.
        const std::string nul("ab\0cdefgh", 8);
        w.update("People", keys[7], {{1, text(nul)}, {2, text(std::string("\0", 1) + "x")}});
        model[keys[7]][1] = "'" + nul;
        model[keys[7]][2] = "'" + std::string("\0", 1) + "x";
    }
    EXPECT_EQ(readTable(db, "People"), model);
    EXPECT_EQ(dataPageProblems(db), "");
    if (haveCheckers()) {
        EXPECT_EQ(checkAgainst(db, "People", "-", {}, "agree"), "");
    }
}

TEST(UpdateRow, RefusalsChangeNothing) {
    TempDir dir;
    const std::string db = dir.file("p.mdb");
    using T = jet::ColumnType;
    {
        jet::DatabaseCreator c(db, {});
        std::vector<jet::ColumnSpec> cols;
        for (int i = 0; i < 12; ++i)
            cols.push_back({"T" + std::to_string(i), T::Text, 255});
        auto& t = c.addTable("Wide", cols);
        t.append(std::vector<jet::Value>(12));
        c.finish();
    }
    auto original = bytesOf(db);
    DatabaseWriter w(db);
    auto key = keysOf(w, "Wide").at(0);
    EXPECT_NE(errorOf([&] { w.update("Wide", key, {{0, text(std::string(256, 'a'))}}); }), "");
    // Twelve full columns of text that cannot be compressed: more than a record may hold.
    std::string wide;
    for (int i = 0; i < 255; ++i)
        wide += "\xd0\x96"; // Cyrillic Zhe, two bytes a character when stored
    std::vector<std::pair<std::size_t, jet::Value>> all;
    for (std::size_t i = 0; i < 12; ++i)
        all.push_back({i, text(wide)});
    EXPECT_NE(errorOf([&] { w.update("Wide", key, all); }).find("4060"), std::string::npos);
    EXPECT_NE(errorOf([&] { w.update("Wide", jet::rowKeyOf({9999, 0}), {{0, text("x")}}); }), "");
    w.commit();
    EXPECT_EQ(bytesOf(db), original);
}

TEST(UpdateRow, APageFilledToTheBrimThenEveryRowGrown) {
    for (jet::Version v : {jet::Version::Jet4, jet::Version::Ace12}) {
        TempDir dir;
        const std::string db = dir.file("p.db");
        makePeople(db, 2000, v, 40);
        const std::uintmax_t before = std::filesystem::file_size(db);
        std::string snap = dir.file("snap");
        bool checkers = haveCheckers();
        if (checkers) snapshot(db, "People", snap);
        auto model = readTable(db, "People");
        std::uint64_t moved = 0;
        {
            DatabaseWriter w(db);
            w.addTextColumn("People", "Grown", 60);
            for (auto& [key, row] : model) {
                w.update("People", key, {{5, text("a grown value")}});
                row.push_back("'a grown value");
            }
            moved = w.rowsMoved();
        }
        EXPECT_GT(moved, 100u);
        // Moved rows fill the pages they go to: far fewer new pages than moves.
        EXPECT_LT(std::filesystem::file_size(db), before + moved * 4096 / 8);
        EXPECT_EQ(readTable(db, "People"), model);
        EXPECT_EQ(dataPageProblems(db), "");
        if (checkers) {
            EXPECT_EQ(checkAgainst(db, "People", snap, {"--set", "Grown=a grown value"}), "");
        }
    }
}

TEST(UpdateRow, WhileScanningInAndOutOfBatches) {
    TempDir dir;
    const std::string db = dir.file("p.mdb");
    makePeople(db, 1500, jet::Version::Jet4, 40);
    auto model = readTable(db, "People");
    {
        DatabaseWriter w(db);
        std::size_t seen = 0;
        w.scan("People", 1, [&](jet::RowKey k, const jet::Value& v) {
            ++seen;
            w.update("People", k, {{1, text(v.text + " more")}});
            model[k][1] += " more";
        });
        EXPECT_EQ(seen, model.size());
        w.beginBatch();
        seen = 0;
        w.scan("People", 2, [&](jet::RowKey k, const jet::Value&) {
            ++seen;
            w.update("People", k, {{2, text("somewhere else entirely")}});
            model[k][2] = "'somewhere else entirely";
        });
        w.commit();
        EXPECT_EQ(seen, model.size());
        EXPECT_GT(w.rowsMoved(), 0u);
    }
    EXPECT_EQ(readTable(db, "People"), model);
}

TEST(UpdateRow, CostsItsRowNotItsTable) {
    TempDir dir;
    const std::string db = dir.file("p.mdb");
    makePeople(db, 8000, jet::Version::Jet4, 40);
    DatabaseWriter w(db);
    auto keys = keysOf(w, "People");
    const std::uint64_t before = w.database().pager().pagesRead();
    for (int i = 0; i < 50; ++i)
        w.update("People", keys[static_cast<std::size_t>(i) * 150], {{2, text(std::string(90, 'c'))}});
    // Each update reads its home page, the page its copy goes to and a map page or two; the table
    // has hundreds of pages.
    EXPECT_LE(w.database().pager().pagesRead() - before, 50u * 6);
    EXPECT_GT(w.rowsMoved(), 0u);
}

// A random change of one of the People's text columns (Name, Address and an added Extra), grown or
// shrunk to as long as the column takes, or Null.
struct RandomEdit {
    jet::RowKey key;
    std::size_t column;
    jet::Value value;
    std::string shown; // as readTable shows it
};
RandomEdit randomEdit(std::mt19937& rng, const std::vector<jet::RowKey>& keys, bool unicode) {
    RandomEdit e;
    e.key = keys[rng() % keys.size()];
    e.column = std::vector<std::size_t>{1, 2, 5}[rng() % 3];
    const std::size_t len = rng() % 4 == 0 ? 0 : rng() % (e.column == 1 ? 50 : e.column == 2 ? 100 : 255);
    std::string s(len, static_cast<char>('a' + rng() % 26));
    if (unicode && rng() % 7 == 0) s = "Ünïcödé " + s.substr(0, len / 2);
    e.value = len == 0 ? jet::Value{} : text(s);
    e.shown = len == 0 ? "null" : "'" + s;
    return e;
}

using Model = std::map<jet::RowKey, std::vector<std::string>>;

// Adds Text(255) columns to `table`, and to each row of `model` (what the table holds) their Nulls;
// the rows' keys.
std::vector<jet::RowKey> withColumns(DatabaseWriter& w, const std::string& table,
                                     const std::vector<std::string>& columns, Model& model) {
    for (const std::string& c : columns)
        w.addTextColumn(table, c, 255);
    std::vector<jet::RowKey> keys;
    for (auto& [k, r] : model) {
        r.insert(r.end(), columns.size(), "null");
        keys.push_back(k);
    }
    return keys;
}

// People of 600 rows with an Extra column, and their keys; `model` is what they hold.
std::vector<jet::RowKey> peopleWithExtra(DatabaseWriter& w, Model& model) {
    return withColumns(w, "People", {"Extra"}, model);
}

// The table holds what `model` says, every data page's free space is right, and mdbtools and
// mdb-reader read the same.
void expectModelEverywhere(const std::string& db, const std::string& table, const Model& model) {
    EXPECT_EQ(readTable(db, table), model);
    EXPECT_EQ(dataPageProblems(db), "");
    if (haveCheckers()) {
        EXPECT_EQ(checkAgainst(db, table, "-", {}, "agree"), "");
    }
}

// A test that the column at `column` holds `text`, which the caller knows the row passes.
jet::RowCondition knownText(std::size_t column, const std::string& text) {
    return {column, [&text](const jet::Value& v) { return v.kind == jet::Value::Kind::Text && v.text == text; },
            &text, true};
}

TEST(UpdateRow, RandomGrowAndShrinkAgainstAModel) {
    TempDir dir;
    const std::string db = dir.file("p.mdb");
    makePeople(db, 600);
    auto model = readTable(db, "People");
    std::mt19937 rng(12345);
    {
        DatabaseWriter w(db);
        const auto keys = peopleWithExtra(w, model);
        for (int step = 0; step < 4000; ++step) {
            if (step % 500 == 0) w.beginBatch();
            if (step % 500 == 499) w.commit();
            const RandomEdit e = randomEdit(rng, keys, true);
            w.update("People", e.key, {{e.column, e.value}});
            model[e.key][e.column] = e.shown;
        }
    }
    expectModelEverywhere(db, "People", model);
}

// A lasting batch holds the rows it changes and lays them into their pages later, a few pages at a
// time (a small room here, so that this happens often): every read, test and refusal in between
// must see each row as the updates before left it.
TEST(UpdateRow, HeldRowsReadAsTheirUpdatesLeftThem) {
    TempDir dir;
    const std::string db = dir.file("p.mdb");
    makePeople(db, 600);
    auto model = readTable(db, "People");
    std::mt19937 rng(777);
    {
        DatabaseWriter w(db);
        const auto keys = peopleWithExtra(w, model);
        w.keepBatching(8, 3000);
        for (int step = 0; step < 5000; ++step) {
            const RandomEdit e = randomEdit(rng, keys, true);
            const jet::RowKey key = e.key;
            // A test of the row's value now, which may be a held one: true or false as the model says.
            const std::string& now = model[key][2];
            const bool truth = rng() % 2 == 0;
            const std::string tested = truth ? now : now + "x";
            jet::RowCondition only{2, [&](const jet::Value& held) { return show(held) == tested; }};
            const bool met = w.update("People", key, {{e.column, e.value}}, step % 3 == 0 ? &only : nullptr);
            if (step % 3 == 0) {
                ASSERT_EQ(met, truth) << "step " << step;
            }
            if (step % 3 != 0 || truth) model[key][e.column] = e.shown;
            if (step % 97 == 0) {
                // Refused with the row as it is: a value longer than its column.
                EXPECT_NE(errorOf([&] { w.update("People", key, {{5, text(std::string(256, 'z'))}}); }), "");
            }
            if (step % 1100 == 0) {
                std::size_t seen = 0;
                w.scan("People", 5, [&](jet::RowKey k, const jet::Value& got) {
                    ++seen;
                    EXPECT_EQ(show(got), model[k][5]);
                });
                EXPECT_EQ(seen, model.size());
            }
            if (step % 1700 == 1699) w.commit();
        }
        w.commit();
        EXPECT_GT(w.rowsMoved(), 0u);
    }
    expectModelEverywhere(db, "People", model);
}

// A statement that found its rows by another column's value, knowing each holds it, changes them
// without reading them; the test waits with the values until the row is read to be placed. Names
// are shared by many rows across the table, some statements set the tested column itself, some
// change a row the usual way (read at once) in between, and now and then the caller is wrong about
// a row: that row must stay as it was, in both formats.
TEST(UpdateRow, RowsChangedUnreadPassTheirTestWhenRead) {
    for (const jet::Version version : {jet::Version::Jet4, jet::Version::Jet3}) {
        SCOPED_TRACE(version == jet::Version::Jet3 ? "Jet3" : "Jet4");
        TempDir dir;
        const std::string db = dir.file("n.mdb");
        {
            jet::CreateOptions o;
            o.version = version;
            jet::DatabaseCreator c(db, o);
            auto& t = c.addTable("Names", {{"ID", jet::ColumnType::Long}, {"Name", jet::ColumnType::Text, 50}});
            for (int i = 0; i < 3000; ++i)
                t.append({integer(i), text("Name " + std::to_string(i % 40))});
            c.finish();
        }
        auto model = readTable(db, "Names");
        std::mt19937 rng(2024);
        {
            DatabaseWriter w(db);
            const auto keys = withColumns(w, "Names", {"S1", "S2"}, model);
            w.keepBatching(8, 4000);
            for (int step = 0; step < 6000; ++step) {
                const jet::RowKey key = keys[rng() % keys.size()];
                auto& row = model[key];
                const std::size_t column = 2 + rng() % 2;
                const std::string piece = std::string(rng() % 60, static_cast<char>('a' + rng() % 26)) + "!";
                if (step % 10 == 9) {
                    // The usual way: read now.
                    w.update("Names", key, {{column, text(piece)}});
                    row[column] = "'" + piece;
                } else {
                    const bool right = step % 17 != 0;
                    const std::string name = right ? row[1].substr(1) : "Name none";
                    const jet::RowCondition only = knownText(1, name);
                    std::vector<std::pair<std::size_t, jet::Value>> values{{column, text(piece)}};
                    const bool rename = step % 23 == 0;
                    if (rename) values.emplace_back(1, text("Name " + std::to_string(rng() % 40)));
                    // A row read now says whether it passed; one left unread counts as passing.
                    const bool met = w.update("Names", key, values, &only);
                    if (right) {
                        ASSERT_TRUE(met) << "step " << step;
                        row[column] = "'" + piece;
                        if (rename) row[1] = "'" + values[1].second.text;
                    }
                }
                if (step % 1300 == 0) {
                    w.scan("Names", column, [&](jet::RowKey k, const jet::Value& got) { EXPECT_EQ(show(got), model[k][column]); });
                }
                if (step % 2000 == 1999) w.commit();
            }
            w.commit();
            EXPECT_GT(w.rowsChangedUnread(), 1000u);
        }
        expectModelEverywhere(db, "Names", model);
    }
}

// With a Memo column (whose values Access may keep in the row at any length) a row is changed unread
// only once a scan has seen every row, and only while the longest of them could not outgrow a page
// with the values set: a change that would make a row too long is still refused by its statement.
TEST(UpdateRow, RowsWithLongValuesAreChangedUnreadOnlyWhileTheyCannotOutgrowAPage) {
    TempDir dir;
    const std::string db = dir.file("m.mdb");
    std::string euros; // text Jet 4 cannot compress: two bytes a character
    for (int i = 0; i < 250; ++i)
        euros += "\u20ac";
    {
        jet::DatabaseCreator c(db, {});
        std::vector<jet::ColumnSpec> columns{{"ID", jet::ColumnType::Long}, {"Name", jet::ColumnType::Text, 50},
                                             {"Notes", jet::ColumnType::Memo}};
        for (int k = 1; k <= 7; ++k)
            columns.push_back({"T" + std::to_string(k), jet::ColumnType::Text, 255});
        auto& t = c.addTable("Names", columns);
        for (int i = 0; i < 400; ++i) {
            std::vector<jet::Value> row{integer(i), text("Name " + std::to_string(i % 20)),
                                        i % 3 ? jet::Value{} : text("a note")};
            for (int k = 1; k <= 7; ++k)
                row.push_back(i % 50 == 7 ? text(euros) : jet::Value{});
            t.append(row);
        }
        c.finish();
    }
    auto model = readTable(db, "Names");
    {
        DatabaseWriter w(db);
        const auto keys = withColumns(w, "Names", {"S1", "S2"}, model);
        w.keepBatching(64, 1 << 20);
        auto knownUpdate = [&](jet::RowKey key, std::vector<std::size_t> columns, const std::string& piece) {
            const std::string name = model[key][1].substr(1);
            const jet::RowCondition only = knownText(1, name);
            std::vector<std::pair<std::size_t, jet::Value>> values;
            for (std::size_t c : columns)
                values.emplace_back(c, text(piece));
            w.update("Names", key, values, &only);
            for (std::size_t c : columns)
                model[key][c] = "'" + piece;
        };
        for (std::size_t i = 0; i < 100; ++i)
            knownUpdate(keys[i], {10}, "before " + std::to_string(i));
        EXPECT_EQ(w.rowsChangedUnread(), 0u) << "no scan has bounded the rows yet";

        w.scan("Names", 1, [](jet::RowKey, const jet::Value&) {});
        for (std::size_t i = 0; i < keys.size(); ++i)
            knownUpdate(keys[i], {11}, "after " + std::to_string(i));
        EXPECT_GT(w.rowsChangedUnread(), 300u);

        // 1,000 bytes more than the longest row can take: read, and refused where the row is long.
        const std::uint64_t unread = w.rowsChangedUnread();
        std::size_t refused = 0;
        for (std::size_t i = 7; i < keys.size(); i += 25) {
            const bool longRow = model[keys[i]][3] != "null";
            const std::string refusal = errorOf([&] { knownUpdate(keys[i], {10, 11}, euros); });
            if (longRow) {
                EXPECT_NE(refusal.find("a row may take"), std::string::npos) << refusal;
                ++refused;
            } else {
                EXPECT_EQ(refusal, "");
            }
        }
        EXPECT_GT(refused, 0u);
        EXPECT_EQ(w.rowsChangedUnread(), unread);
        w.commit();
    }
    expectModelEverywhere(db, "Names", model);
}

TEST(UpdateRow, CopiesNoPointerReachesAreReleasedBeforeTheTableIsNextChanged) {
    // A kill between a move's two stages leaves the new copy reached by nothing: made here by
    // putting the home page back as it was before the move.
    TempDir dir;
    const std::string db = dir.file("p.mdb");
    makePeople(db, 600, jet::Version::Jet4, 40);
    auto model = readTable(db, "People");
    const jet::RowKey key = model.begin()->first;
    const std::uint32_t home = jet::rowIdOf(key).page;
    auto original = bytesOf(db);
    {
        DatabaseWriter w(db);
        w.update("People", key, {{2, text(std::string(90, 's'))}});
        ASSERT_EQ(w.rowsMoved(), 1u);
    }
    {
        std::fstream f(db, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(home) * 4096);
        f.write(original.data() + static_cast<std::ptrdiff_t>(home) * 4096, 4096);
    }
    EXPECT_EQ(readTable(db, "People"), model);
    auto copiesListed = [&] {
        auto d = jet::Database::open(db);
        std::size_t n = 0;
        for (std::uint32_t p = 1; p < d->pager().pageCount(); ++p) {
            jet::PageRef page = d->pager().page(p);
            if (page->type() != jet::page_type::Data || page->view().u32(4) <= 1) continue;
            for (unsigned i = 0; i < jet::dataPageRowCount(d->format(), page->view()); ++i) {
                jet::RowSlot s = jet::dataPageRow(d->format(), page->view(), i);
                n += s.flags == jet::row_slot::Deleted && s.fits && s.end > s.start;
            }
        }
        return n;
    };
    ASSERT_EQ(copiesListed(), 1u);
    {
        // Reading leaves it; the first change of the table releases it, and only it.
        DatabaseWriter w(db);
        keysOf(w, "People");
        EXPECT_EQ(w.strayCopiesReleased(), 0u);
        auto last = std::prev(model.end());
        w.update("People", last->first, {{1, text("changed")}});
        last->second[1] = "'changed";
        EXPECT_EQ(w.strayCopiesReleased(), 1u);
        w.update("People", std::next(model.begin())->first, {{2, text(std::string(90, 't'))}});
        std::next(model.begin())->second[2] = "'" + std::string(90, 't');
        EXPECT_EQ(w.strayCopiesReleased(), 1u);
    }
    EXPECT_EQ(copiesListed(), 1u) << "the copy of the row moved since, reached by its pointer";
    expectModelEverywhere(db, "People", model);
}

TEST(DropColumn, OthersKeepTheirPlacesAndANewColumnNeverSeesOldBytes) {
    TempDir dir;
    const std::string db = dir.file("p.mdb");
    makePeople(db, 100);
    std::string snap = dir.file("snap");
    bool checkers = haveCheckers();
    if (checkers) snapshot(db, "People", snap);
    auto model = readTable(db, "People");
    {
        DatabaseWriter w(db);
        w.dropColumn("People", "city");
        EXPECT_NE(errorOf([&] { w.dropColumn("People", "City"); }).find("no column"), std::string::npos);
        auto def = w.table("People");
        ASSERT_EQ(def->columns.size(), 4u);
        EXPECT_EQ(def->columns[2].name, "Notes");
        EXPECT_EQ(def->columns[2].number, 3);
    }
    if (checkers) {
        EXPECT_EQ(checkAgainst(db, "People", snap, {"--drop", "City"}), "");
    }
    {
        DatabaseWriter w(db);
        w.addTextColumn("People", "City");
        EXPECT_EQ(w.table("People")->columns[4].number, 5);
    }
    for (auto& [k, r] : model)
        r[2] = "null";
    auto now = readTable(db, "People");
    for (auto& [k, r] : model)
        std::rotate(r.begin() + 2, r.begin() + 3, r.end());
    EXPECT_EQ(now, model);
}

// Old rows keep the bytes of a dropped column in its variable-length slot. A column added after the
// one holding the highest slot was dropped must take a slot past it: mdbtools and mdb-reader find a
// column's bytes by its slot, and take its null bit, for a column numbered past a row's null mask,
// from the bytes after the row (here the next row's column count, 12, whose bit 2 is set: column 18),
// so a reused slot would show the dropped values. Dropping and adding the last column again walks
// the new column's number up to 18.
TEST(DropColumn, AColumnAddedAfterTheLastVariableOneWentTakesAFreshSlot) {
    if (!haveCheckers()) GTEST_SKIP() << "needs python3, mdbtools and tests/oracle/node_modules";
    for (jet::Version version : {jet::Version::Jet3, jet::Version::Jet4, jet::Version::Ace12}) {
        SCOPED_TRACE(static_cast<int>(version));
        TempDir dir;
        const std::string db = dir.file(version == jet::Version::Ace12 ? "p.accdb" : "p.mdb");
        {
            jet::CreateOptions o;
            o.version = version;
            jet::DatabaseCreator c(db, o);
            std::vector<jet::ColumnSpec> columns{{"ID", jet::ColumnType::Long}};
            for (int k = 1; k <= 11; ++k)
                columns.push_back({"T" + std::to_string(k), jet::ColumnType::Text, 20});
            auto& t = c.addTable("T", columns);
            for (int i = 0; i < 60; ++i) {
                std::vector<jet::Value> row{integer(i)};
                for (int k = 1; k <= 11; ++k)
                    row.push_back(text("v" + std::to_string(i) + "-" + std::to_string(k)));
                t.append(row);
            }
            c.finish();
        }
        const std::string snap = dir.file("snap");
        snapshot(db, "T", snap);
        {
            DatabaseWriter w(db);
            std::string last = "T11";
            for (int k = 12; k <= 18; ++k) {
                w.dropColumn("T", last);
                last = "Y" + std::to_string(k);
                w.addTextColumn("T", last, 20);
            }
            ASSERT_EQ(w.table("T")->columns.back().number, 18);
        }
        EXPECT_EQ(checkAgainst(db, "T", snap, {"--drop", "T11", "--set", "Y18=\\N"}), "");
        {
            DatabaseWriter w(db);
            const std::size_t added = columnIndex(w, "T", "Y18");
            w.beginBatch();
            for (jet::RowKey k : keysOf(w, "T"))
                w.update("T", k, {{added, text("new " + std::to_string(k % 1000))}});
            w.commit();
            w.dropColumn("T", "T5");
            w.addTextColumn("T", "Later", 20);
        }
        EXPECT_EQ(checkAgainst(db, "T", "-", {}, "agree"), "");
    }
}

TEST(DropColumn, RefusedForIndexedColumnsAndRelationships) {
    std::string src = fixture("jet4-2003-index-pk.mdb");
    if (src.empty()) GTEST_SKIP() << "the fixtures are absent (" << testsupport::fixturesDir() << ")";
    TempDir dir;
    const std::string db = dir.file("x.mdb");
    std::filesystem::copy_file(src, db);
    std::filesystem::permissions(db, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    auto original = bytesOf(db);
    DatabaseWriter w(db);
    auto def = w.table("Table1");
    ASSERT_FALSE(def->realIndexes.empty());
    const jet::Column* indexed = nullptr;
    for (const auto& c : def->columns)
        if (c.number == def->realIndexes[0].columns.at(0).columnNumber) indexed = &c;
    ASSERT_NE(indexed, nullptr);
    std::size_t at = columnIndex(w, "Table1", indexed->name);
    EXPECT_NE(errorOf([&] { w.dropColumn("Table1", indexed->name); }).find("index"), std::string::npos);
    EXPECT_NE(errorOf([&] {
                  w.update("Table1", keysOf(w, "Table1").at(0), {{at, jet::Value{}}});
              }).find("index"),
              std::string::npos);
    EXPECT_EQ(jet::relationshipUsing(w.database(), "TABLE1", "otherFK2").value_or(""), "Table3Table1");
    EXPECT_EQ(jet::relationshipUsing(w.database(), "Table2", "id").value_or(""), "Table2Table1");
    EXPECT_FALSE(jet::relationshipUsing(w.database(), "Table1", "data"));
    w.commit();
    EXPECT_EQ(bytesOf(db), original);
}

TEST(WriteFixtures, EveryKindOfWriteReadsTheSameInEveryReader) {
    if (fixture("jet4-2000-basic.mdb").empty())
        GTEST_SKIP() << "the fixtures are absent (" << testsupport::fixturesDir() << ")";
    if (!haveCheckers()) GTEST_SKIP() << "needs python3, mdbtools and tests/oracle/node_modules";
    const std::vector<std::pair<std::string, std::string>> files{{"jet3-97-basic.mdb", ""},
                                                                 {"jet4-2000-basic.mdb", ""},
                                                                 {"jet4-2000-deleted-columns.mdb", ""},
                                                                 {"jet4-2003-index-pk.mdb", ""},
                                                                 {"jet4-2000-memo-ole.mdb", ""},
                                                                 {"ace12-2007-basic.accdb", ""},
                                                                 {"ace12-2007-memo-ole.accdb", ""},
                                                                 {"ace14-2010-512rows.accdb", ""},
                                                                 {"ace12-deleted-column.accdb", ""},
                                                                 {"jet4-2003-unicode.mdb", ""},
                                                                 {"jet4-2000-rc4-encoded.mdb", ""},
                                                                 {"jet4-2003-password.mdb", "password"},
                                                                 {"ace16-2016-bigint.accdb", ""}};
    for (const auto& [name, password] : files) {
        SCOPED_TRACE(name);
        jet::OpenOptions options;
        options.password = password;
        std::vector<std::string> pw;
        if (!password.empty()) pw = {"--password", password};
        std::string src = fixture(name);
        if (src.empty()) continue;
        TempDir dir;
        const std::string db =
            dir.file(std::string("copy") + std::filesystem::path(name).extension().string());
        std::filesystem::copy_file(src, db);
        std::filesystem::permissions(db, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add); // fixtures are read-only
        std::vector<std::string> tables;
        {
            auto reader = jet::Database::open(db, options);
            for (const auto& e : reader->catalog())
                if (e.tableType == "TABLE" && !jet::isSystemTable(e)) tables.push_back(e.name);
        }
        for (const auto& table : tables) {
            SCOPED_TRACE(table);
            std::string snap = dir.file("snap-" + std::to_string(std::hash<std::string>()(table)));
            snapshot(db, table, snap, pw);
            DatabaseWriter w(db, options);
            auto def = w.table(table);
            w.addTextColumn(table, "Split Part", 40);
            std::size_t col = def->columns.size();
            w.beginBatch();
            for (jet::RowKey k : keysOf(w, table))
                w.update(table, k, {{col, text("a part")}});
            w.commit();
            std::vector<std::string> set{"--set", "Split Part=a part"};
            set.insert(set.end(), pw.begin(), pw.end());
            EXPECT_EQ(checkAgainst(db, table, snap, set), "");
            w.dropColumn(table, "Split Part");
            EXPECT_EQ(checkAgainst(db, table, snap, pw), "");
        }
    }
}

// Every page of the file that a table or its maps use must be marked used in the global map.
void expectNoUsedPageFree(const std::string& db) {
    auto d = jet::Database::open(db);
    std::set<std::uint32_t> free;
    jet::UsageMapCursor cursor(d->pager(), {1, 0});
    while (auto p = cursor.next())
        free.insert(*p);
    for (std::uint32_t p = 1; p < d->pager().pageCount(); ++p)
        EXPECT_EQ(free.count(p), 0u) << "page " << p;
}

TEST(UsageMaps, ASmallFileGrowsPastTheGlobalMapsWindow) {
    TempDir dir;
    const std::string db = dir.file("p.mdb");
    makePeople(db, 8000, jet::Version::Jet4, 10);
    ASSERT_LT(jet::Database::open(db)->pager().pageCount(), 500u);
    auto model = readTable(db, "People");
    std::string snap = dir.file("snap");
    bool checkers = haveCheckers();
    if (checkers) snapshot(db, "People", snap);
    {
        DatabaseWriter w(db);
        w.addTextColumn("People", "Grown", 255);
        w.beginBatch();
        for (auto& [key, row] : model) {
            w.update("People", key, {{5, text(std::string(250, 'g'))}});
            row.push_back("'" + std::string(250, 'g'));
        }
        w.commit();
    }
    EXPECT_GT(jet::Database::open(db)->pager().pageCount(), 600u);
    EXPECT_EQ(readTable(db, "People"), model);
    expectNoUsedPageFree(db);
    if (checkers) {
        EXPECT_EQ(checkAgainst(db, "People", snap, {"--set", "Grown=" + std::string(250, 'g')}), "");
    }
}

TEST(UsageMaps, AnInlineMapMovesItsStartWhenItsPagesStillFit) {
    TempDir dir;
    const std::string db = dir.file("m.mdb");
    using T = jet::ColumnType;
    {
        jet::DatabaseCreator c(db, {});
        auto& filler = c.addTable("Filler", {{"Text", T::Text, 255}});
        for (int i = 0; i < 3400; ++i)
            filler.append({text(std::string(250, static_cast<char>('a' + i % 26)) + "\xd0\x96")});
        auto& target = c.addTable("People", {{"ID", T::Long}, {"Name", T::Text, 255}});
        for (int i = 0; i < 300; ++i)
            target.append({integer(i), text("n" + std::to_string(i))});
        c.finish();
    }
    std::uint32_t firstPage = 0;
    {
        // Give the table's map the window Access's templates use, from page 0.
        DatabaseWriter w(db);
        auto def = w.table("People");
        std::vector<std::uint32_t> pages;
        jet::UsageMapCursor owned(w.database().pager(), def->ownedPages);
        while (auto p = owned.next())
            pages.push_back(*p);
        ASSERT_FALSE(pages.empty());
        ASSERT_LT(pages.back(), 505u);
        firstPage = pages.front();
        ASSERT_GT(firstPage, 300u);
        jet::Bytes& page = w.pages().edit(def->ownedPages.page);
        jet::RowSlot slot = jet::dataPageRow(w.pages().format(), jet::ByteView(page.data(), page.size()),
                                             def->ownedPages.row);
        std::fill(page.begin() + static_cast<std::ptrdiff_t>(slot.start + 1),
                  page.begin() + static_cast<std::ptrdiff_t>(slot.end), 0);
        for (std::uint32_t p : pages)
            page[slot.start + 5 + p / 8] |= static_cast<std::uint8_t>(1u << (p % 8));
        w.pages().commit();
    }
    auto model = readTable(db, "People");
    {
        DatabaseWriter w(db);
        w.beginBatch();
        for (auto& [key, row] : model) {
            w.update("People", key, {{1, text(std::string(200, 'x') + "\xd0\x96")}});
            row[1] = "'" + std::string(200, 'x') + "\xd0\x96";
        }
        w.commit();
    }
    EXPECT_EQ(readTable(db, "People"), model);
    auto d = jet::Database::open(db);
    ASSERT_GT(d->pager().pageCount(), 512u);
    auto def = d->table("People");
    jet::ByteView mapPage = d->pager().page(def->ownedPages.page)->view();
    jet::ByteView row = jet::dataPageRowBytes(d->format(), mapPage, def->ownedPages.row);
    EXPECT_EQ(row.u8(0), jet::usage_map::Inline);
    EXPECT_EQ(row.u32(1), firstPage / 8 * 8);
    expectNoUsedPageFree(db);
    if (haveCheckers()) {
        EXPECT_EQ(checkAgainst(db, "People", "-", {}, "agree"), "");
    }
}

TEST(UsageMaps, OwnedAndGlobalMapsGrowPastTheirInlineWindow) {
    TempDir dir;
    const std::string db = dir.file("p.mdb");
    makePeople(db, 12000, jet::Version::Jet4, 40);
    auto model = readTable(db, "People");
    {
        DatabaseWriter w(db);
        w.addTextColumn("People", "Grown", 255);
        w.beginBatch();
        for (auto& [key, row] : model) {
            w.update("People", key, {{5, text(std::string(200, 'g'))}});
            row.push_back("'" + std::string(200, 'g'));
        }
        w.commit();
    }
    EXPECT_EQ(readTable(db, "People"), model);
    auto d = jet::Database::open(db);
    jet::UsageMapCursor owned(d->pager(), d->table("People")->ownedPages);
    std::size_t ownedPages = 0;
    while (owned.next())
        ++ownedPages;
    EXPECT_GT(ownedPages, 600u);
    expectNoUsedPageFree(db);
}

} // namespace
