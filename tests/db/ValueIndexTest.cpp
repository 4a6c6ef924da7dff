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
        for (std::size_t i = 0; i < rows; ++i) {
            // Every third row shares its key with a row far back, every fifth with the one before.
            const std::size_t k = i % 3 == 0 ? i / 7 : i % 5 == 0 && i > 0 ? i - 1 : i;
            const std::string key = "name " + std::to_string(k);
            const db::RowKey row = 1000 + i;
            index.add(key, row);
            model[key].push_back(row);
        }
        index.finish();
        for (const auto& [key, want] : model) {
            const db::ValueIndex::Candidates got = index.candidates(key);
            std::vector<db::RowKey> found(got.rows.begin(), got.rows.end());
            // Keys that share a hash share their rows: this key's are among them, in order.
            if (!got.holdKey)
                std::erase_if(found, [&](db::RowKey r) {
                    return std::find(want.begin(), want.end(), r) == want.end();
                });
            EXPECT_EQ(found, want) << key;
        }
        EXPECT_TRUE(index.candidates("no such name").rows.empty());
    }
}
