#include "db/ValueIndex.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

// Rows are filed a few adds after they are given: every row must still be found under its key, in
// the order added, however many were given before the index was finished (fewer than wait, exactly
// as many, and many more, with keys repeated near and far apart).
TEST(ValueIndex, FindsEveryRowOfEachKeyInTheOrderAdded) {
    for (const std::size_t rows :
         {std::size_t{1}, std::size_t{7}, std::size_t{8}, std::size_t{9}, std::size_t{50000}}) {
        SCOPED_TRACE(rows);
        db::ValueIndex index;
        std::map<std::string, std::vector<db::RowKey>> model;
        // Every third row shares its key with a row far back, every fifth with the one before.
        auto keyOf = [](std::size_t i) {
            return "name " + std::to_string(i % 3 == 0 ? i / 7 : i % 5 == 0 && i > 0 ? i - 1 : i);
        };
        // Rows past 32 bits too: a row is kept in two halves until the index is finished.
        auto rowOf = [](std::size_t i) { return (db::RowKey{i % 4} << 40) + 1000 + i; };
        for (std::size_t i = 0; i < rows; ++i) {
            const std::string key = keyOf(i);
            const db::RowKey row = rowOf(i);
            index.add(key, row);
            model[key].push_back(row);
        }
        index.finish();
        // Looked up in the order first added (each found where the last one ended), backwards, by
        // name, and between them keys that were never added.
        std::vector<std::string> added;
        for (std::size_t i = 0; i < rows; ++i) {
            const std::string key = keyOf(i);
            if (model[key].front() == rowOf(i)) added.push_back(key);
        }
        std::vector<std::string> orders = added;
        orders.insert(orders.end(), added.rbegin(), added.rend());
        for (const auto& entry : model)
            orders.push_back(entry.first);
        for (std::size_t n = 0; n < orders.size(); ++n) {
            const std::string& key = orders[n];
            const std::vector<db::RowKey>& want = model[key];
            const db::ValueIndex::Candidates got = index.candidates(key);
            std::vector<db::RowKey> found(got.rows.begin(), got.rows.end());
            // Keys that share a hash share their rows: this key's are among them, in order.
            if (!got.holdKey)
                std::erase_if(found, [&](db::RowKey r) {
                    return std::find(want.begin(), want.end(), r) == want.end();
                });
            EXPECT_EQ(found, want) << key;
            if (n % 97 == 0) {
                EXPECT_TRUE(index.candidates("no such name " + key).rows.empty()) << key;
            }
        }
    }
}
