#include "db/TextTable.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(TextTable, NumbersEachDistinctTextOnceAndFindsItAgainAsTheTableGrows) {
    db::TextTable t;
    EXPECT_EQ(t.find("a"), db::TextTable::None); // nothing added yet
    // Texts a hash table must keep apart: case, an empty text, an embedded NUL, a text larger
    // than a block of the table's storage, and many that make it grow again and again and fill
    // several blocks.
    std::vector<std::string> texts = {
        "a", "A", "", std::string("a\0b", 3), std::string("a\0c", 3), std::string(3 << 20, 'x')};
    for (int i = 0; i < 150000; ++i)
        texts.push_back("value " + std::to_string(i));
    std::vector<std::string_view> views;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto [id, added] = t.insert(texts[i]);
        EXPECT_TRUE(added) << i;
        EXPECT_EQ(id, i);
        views.push_back(t.text(id));
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        // A text added again keeps its number; the views taken early still show it.
        const auto [id, added] = t.insert(texts[i]);
        EXPECT_FALSE(added) << i;
        EXPECT_EQ(id, i);
        EXPECT_EQ(t.find(texts[i]), i);
        EXPECT_EQ(views[i], texts[i]) << i;
    }
    EXPECT_EQ(t.size(), texts.size());
    EXPECT_EQ(t.find("value 150000"), db::TextTable::None);
    EXPECT_EQ(t.find(std::string("a\0", 2)), db::TextTable::None);
}
