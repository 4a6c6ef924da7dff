// A record set's rows over sources of many rows: what is held, what is read again, and that the
// values and the count stay exact whatever order the rows are asked for in.

#include "db/Connection.h"
#include "db/RecordRows.h"
#include "db/RecordSet.h"
#include "jet/create/DatabaseCreator.h"
#include "jet/read/Database.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// Rows 0..total-1 whose one value is the row's number; counts the rows made and passed over.
class NumberedRows : public db::RowSource {
public:
    NumberedRows(std::int64_t total, bool* gone = nullptr) : total_(total), gone_(gone) {}
    ~NumberedRows() override {
        if (gone_) *gone_ = true;
    }
    const std::vector<db::FieldInfo>& fields() const override { return fields_; }
    bool next(std::vector<db::Variant>& row) override {
        if (at_ >= total_) return false;
        row = {db::Variant(at_++)};
        ++made;
        return true;
    }
    bool canSeek() const override { return true; }
    Mark mark() const override { return static_cast<Mark>(at_); }
    void seek(Mark m) override {
        at_ = static_cast<std::int64_t>(m);
        ++seeks;
    }
    bool skip() override {
        if (at_ >= total_) return false;
        ++at_;
        ++skipped;
        return true;
    }
    int made = 0, skipped = 0, seeks = 0;

private:
    std::vector<db::FieldInfo> fields_{{"N", 20}};
    std::int64_t total_, at_ = 0;
    bool* gone_;
};

constexpr std::size_t Window = db::RecordRows::BlockRows * db::RecordRows::HeldBlocks;

std::int64_t number(db::RecordRows& rows, std::size_t i) {
    return rows.row(i)[0].get<std::int64_t>();
}

} // namespace

TEST(RecordRows, WalksAndCountsAManyRowSourceHoldingOnlyAWindow) {
    constexpr std::int64_t Total = 20'000;
    auto source = std::make_unique<NumberedRows>(Total);
    NumberedRows& counter = *source;
    db::RecordRows rows(std::move(source));

    // Walking forward reads each row once and lets the old ones go.
    for (std::size_t i = 0; i < 10'000; ++i) {
        ASSERT_EQ(rows.fetchUpTo(i + 1), i + 1);
        ASSERT_EQ(number(rows, i), static_cast<std::int64_t>(i));
    }
    EXPECT_EQ(counter.made, 10'000);
    EXPECT_EQ(counter.seeks, 0);
    EXPECT_LE(rows.held(), Window);
    EXPECT_FALSE(rows.complete());

    // The count passes over the rest without making their values.
    EXPECT_EQ(rows.fetchAll(), static_cast<std::size_t>(Total));
    EXPECT_TRUE(rows.complete());
    EXPECT_EQ(counter.made, 10'000);
    EXPECT_EQ(counter.skipped, 10'000);

    // Any row asked for is its own, read again where it was let go; the window stays bounded.
    std::mt19937 random(7);
    for (int k = 0; k < 2000; ++k) {
        const std::size_t i = random() % Total;
        ASSERT_EQ(number(rows, i), static_cast<std::int64_t>(i)) << "row " << i;
    }
    EXPECT_EQ(number(rows, 0), 0);
    EXPECT_EQ(number(rows, Total - 1), Total - 1);
    EXPECT_LE(rows.held(), Window);
    EXPECT_THROW(rows.row(Total), std::out_of_range);
    EXPECT_EQ(rows.fetchUpTo(Total + 5), static_cast<std::size_t>(Total));
}

TEST(RecordRows, ReadsOnAfterGoingBackMidBlock) {
    db::RecordRows rows(std::make_unique<NumberedRows>(10'000));
    rows.fetchUpTo(Window + 300);
    EXPECT_EQ(number(rows, 5), 5); // read again, moving the source back
    // Reading on continues from where the forward read stopped, not from where the source was.
    EXPECT_EQ(rows.fetchUpTo(Window + 301), Window + 301);
    EXPECT_EQ(number(rows, Window + 300), static_cast<std::int64_t>(Window + 300));
    EXPECT_EQ(rows.fetchAll(), 10'000u);
    EXPECT_EQ(number(rows, 9'999), 9'999);
}

TEST(RecordRows, ASourceReadWholeIsReleasedAndAKeptOneIsNot) {
    bool smallGone = false, bigGone = false;
    db::RecordRows small(std::make_unique<NumberedRows>(100, &smallGone));
    EXPECT_EQ(small.fetchAll(), 100u);
    EXPECT_TRUE(smallGone); // every row held: the file can go
    EXPECT_EQ(number(small, 99), 99);

    auto big = std::make_unique<db::RecordRows>(std::make_unique<NumberedRows>(Window * 3, &bigGone));
    EXPECT_EQ(big->fetchAll(), Window * 3);
    EXPECT_FALSE(bigGone); // needed to read the rows let go
    EXPECT_EQ(number(*big, Window * 2), static_cast<std::int64_t>(Window * 2));
    big.reset();
    EXPECT_TRUE(bigGone);
}

TEST(RecordSet, StreamsATableOfManyRowsWithAnExactCount) {
    testsupport::TempDir dir;
    for (const jet::Version version : {jet::Version::Jet4, jet::Version::Ace12}) {
        const std::string path = (dir.path / (version == jet::Version::Jet4 ? "many.mdb" : "many.accdb")).string();
        constexpr int Total = 9'000;
        {
            jet::CreateOptions options;
            options.version = version;
            jet::DatabaseCreator creator(path, options);
            auto& t = creator.addTable("Many", {{"ID", jet::ColumnType::Long}, {"Note", jet::ColumnType::Text, 60}});
            for (int i = 0; i < Total; ++i)
                t.append({jet::Value::ofInteger(i, jet::Value::Kind::Integer),
                          i % 7 ? jet::Value::ofText("row " + std::to_string(i) + std::string(i % 40, 'x'))
                                : jet::Value{}});
            creator.finish();
        }
        ADODB::Connection cn;
        cn.Open("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + path);
        ADODB::RecordSet rs;
        rs.Open("SELECT * FROM Many", cn, ADODB::adOpenStatic, ADODB::adLockReadOnly);
        ASSERT_EQ(rs.RecordCount(), Total);
        auto rows = rs.DataSource();
        EXPECT_LE(rows->held(), Window);

        // The walk after the count gives every row in storage order, as the engine's own scan does.
        auto db = jet::Database::open(path);
        jet::RowReader reader = db->rows("Many");
        std::vector<jet::Value> values;
        int seen = 0;
        for (; !rs.Eof(); rs.MoveNext(), ++seen) {
            ASSERT_TRUE(reader.next(values));
            ASSERT_EQ(rs("ID").Value(), db::Variant(values[0].integer)) << "row " << seen;
            const db::Variant& note = rs("Note").Value();
            ASSERT_EQ(note.isNull(), values[1].isNull()) << "row " << seen;
            if (!note.isNull()) {
                ASSERT_EQ(note.get<std::string>(), values[1].text) << "row " << seen;
            }
        }
        EXPECT_EQ(seen, Total);
        EXPECT_FALSE(reader.next(values));
        EXPECT_LE(rows->held(), Window);

        // A grid's jumps back and forth land on the right rows, after the record set is closed too;
        // a row read into the room of another (a text where a Null was, or the other way) is its own.
        rs.Close();
        std::mt19937 random(11);
        for (int k = 0; k < 300; ++k) {
            const std::size_t i = random() % Total;
            const std::vector<db::Variant>& row = rows->row(i);
            ASSERT_EQ(row[0], db::Variant(static_cast<std::int64_t>(i))) << "row " << i;
            const db::Variant note = i % 7 ? db::Variant("row " + std::to_string(i) + std::string(i % 40, 'x'))
                                           : db::Variant();
            ASSERT_EQ(row[1], note) << "row " << i;
        }
    }
}
