#include "db/TextCase.h"

#include <gtest/gtest.h>

TEST(TextCase, NamesMatchWithoutRegardToCase) {
    EXPECT_TRUE(db::sameName("SplitColumn1", "SPLITCOLUMN1"));
    EXPECT_TRUE(db::sameName("Größe", "GRÖSSE") == false); // ß has no one-letter capital here
    EXPECT_TRUE(db::sameName("Größe", "GRÖßE"));
    EXPECT_TRUE(db::sameName("Город", "ГОРОД"));
    EXPECT_TRUE(db::sameName("Łódź", "ŁÓDŹ"));
    EXPECT_FALSE(db::sameName("Name", "Name2"));
    EXPECT_FALSE(db::sameName("Name", "Nam"));
    EXPECT_FALSE(db::sameName("a\xff", "A\xfe")); // stray bytes match only themselves
}
