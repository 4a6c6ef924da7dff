#pragma once
// Statements of one shape parsed once. Two UPDATEs that differ only in the insides of their text
// literals ('...') parse alike but for those literals, so the first of a shape is parsed in full and
// later ones take its parse with their own literals put in. A split sends hundreds of thousands of
// UPDATEs of a handful of shapes (one a new column).

#include "db/sql/Statement.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace db::sql {

class Shapes {
public:
    // What parse(text) gives, and throws what it throws. The statement stays valid until the next
    // call.
    const Statement& parse(std::string_view text);

    // Shapes kept at most; past them the kept ones are forgotten.
    static constexpr std::size_t MaxShapes = 256;

private:
    struct Shape {
        Statement statement;
        bool reusable = false; // its text literals stand in the statement in the order written
    };
    std::unordered_map<std::string, Shape> shapes_;
    Statement other_; // the last statement of no reusable shape
    std::string key_;
    std::vector<std::string> literals_;
};

} // namespace db::sql
