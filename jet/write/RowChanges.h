#pragma once
// What statements set in a row they did not read. A statement that found its rows through an index
// of another column's values, and knows a row holds the text it looked for there, need not read the
// row to change it: its values wait, beside that test, until the row is read to be laid into its
// page. Then each step is tested against the row as the steps before it left it, and a step whose
// test fails leaves the row as it was. Kept as bytes among the held rows (HeldRows).

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "jet/base/Bytes.h"
#include "jet/encode/RowEncoder.h"
#include "jet/read/RowLayout.h"

namespace jet {

struct RowChanges {
    // Adds to `changes` (the bytes of the changes held so far, or none) a statement's values, set
    // when `column` holds `text`. A step testing what the last one tested joins it, unless the last
    // one sets that column: the test answers the same for both. A column set twice in a step takes
    // the value set last.
    static void add(Bytes& changes, std::size_t column, std::string_view text,
                    const std::vector<std::pair<std::size_t, FieldValue>>& values);

    // The steps of what add() made, read in place: each step's test, then its values. Throws Error
    // when the bytes are not what add() made.
    class Reader {
    public:
        explicit Reader(ByteView bytes) : v_(bytes) {}
        // The next step's test (the values of the step before, if not read, are passed by); false
        // when no step is left.
        bool nextStep(std::size_t& column, ByteView& text);
        // The next value of the step in hand; false when it has no more.
        bool nextValue(std::size_t& column, FieldBytes& value);
        // Where the reader stands in the bytes.
        std::size_t at() const { return at_; }

    private:
        std::size_t varint();
        std::size_t take(std::size_t n);
        ByteView v_;
        std::size_t at_ = 0;
        std::size_t valuesLeft_ = 0;
    };
};

} // namespace jet
