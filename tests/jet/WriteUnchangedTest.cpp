// An update that gives a row the values it already holds writes nothing.

#include <gtest/gtest.h>

#include "WriteSupport.h"

using namespace writetest;

TEST(UpdateRow, ValuesTheRowAlreadyHoldsWriteNothing) {
    TempDir dir;
    const std::string db = dir.file("same.mdb");
    makePeople(db, 20);
    jet::DatabaseWriter w(db);
    w.addTextColumn("People", "S1", 20);
    std::vector<jet::RowKey> keys;
    w.scan("People", 0, [&](jet::RowKey k, const jet::Value&) { keys.push_back(k); });
    const std::size_t s1 = w.table("People")->columns.size() - 1;
    for (jet::RowKey k : keys)
        w.update("People", k, {{s1, text("piece")}});
    const auto syncs = w.pages().syncs();
    const auto size = std::filesystem::file_size(db);
    for (int pass = 0; pass < 3; ++pass)
        for (jet::RowKey k : keys)
            w.update("People", k, {{s1, text("piece")}});
    EXPECT_EQ(w.pages().syncs(), syncs);
    EXPECT_EQ(std::filesystem::file_size(db), size);
    // A different value is still written.
    w.update("People", keys[3], {{s1, text("other")}});
    EXPECT_GT(w.pages().syncs(), syncs);
    EXPECT_EQ(readTable(db, "People").at(keys[3]).back(), show(text("other")));
    EXPECT_EQ(readTable(db, "People").at(keys[4]).back(), show(text("piece")));
}
