#pragma once
// What statements set in a row they did not read. A statement that found its rows through an index
// of another column's values, and knows a row holds the text it looked for there, need not read the
// row to change it: its values wait, beside that test, until the row is read to be laid into its
// page. Then each step is tested against the row as the steps before it left it, and a step whose
// test fails leaves the row as it was. Kept as bytes among the held rows (HeldRows).

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "jet/base/Bytes.h"
#include "jet/encode/RowEncoder.h"

namespace jet {

struct RowChanges {
    struct Step {
        std::size_t column = 0; // tested: a position in the table's columns
        std::string text;       // what that column must hold
        std::vector<std::pair<std::size_t, FieldValue>> values;
    };
    std::vector<Step> steps;

    // Adds to `changes` (the bytes of the changes held so far, or none) a statement's values, set
    // when `column` holds `text`. A step testing what the last one tested joins it, unless the last
    // one sets that column: the test answers the same for both. A column set twice in a step takes
    // the value set last.
    static void add(Bytes& changes, std::size_t column, std::string_view text,
                    const std::vector<std::pair<std::size_t, FieldValue>>& values);
    // The steps `bytes` hold; throws Error when they are not what add() made.
    static RowChanges from(ByteView bytes);
};

} // namespace jet
