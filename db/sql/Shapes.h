#pragma once
// Statements of one shape parsed once. Two UPDATEs that differ only in the insides of their text
// literals ('...') parse alike but for those literals, so the first of a shape is parsed in full and
// later ones take its parse with their own literals put in. A split sends hundreds of thousands of
// UPDATEs of a handful of shapes (one a new column).

#include "db/sql/Statement.h"

#include <cstdint>
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
    // A text literal of the statement: where it lies (its quotes included), and whether it holds a
    // doubled quote.
    struct LiteralAt {
        std::size_t begin = 0;
        std::size_t end = 0;
        bool doubled = false;
    };
    // A statement's shape is its text with every text literal's inside left out (`key`). It is found
    // by a hash of the text between the literals, without the key being made.
    struct Shape {
        std::string key;
        std::vector<std::size_t> marks; // where each literal stands in the key
        Statement statement;
        bool reusable = false; // its text literals stand in the statement in the order written
        Shape* next = nullptr; // the shape of the statement sent after one of this shape, last time
    };
    // Finds the text literals of `text` (into literals_) and hashes the rest; false when a name,
    // date or literal is not closed, or a literal holds a NUL: the full parse says what is wrong.
    bool read(std::string_view text, std::uint64_t& hash);
    // Finds where literal `l`, from its opening quote, ends; false as for read().
    static bool close(std::string_view text, LiteralAt& l);
    // Whether `text` has the shape, its literals found into literals_ on the way: the text between
    // them is compared whole with the key's, not read again character by character.
    bool matches(const Shape& shape, std::string_view text);
    // A program sends statements of a few shapes in turn: the one that followed the last shape is
    // tried first.
    Shape* expected(std::string_view text);
    const Statement& reuse(Shape& shape, std::string_view text);
    // The key of `text`, whose literals read() found, and where they stand in it, into `shape`.
    void keyOf(std::string_view text, Shape& shape) const;
    // `shape` is the last one sent, and the one that followed the shape sent before it.
    void follow(Shape& shape);
    // Literal `i`'s value, a doubled quote standing for one.
    void valueOf(std::string_view text, std::size_t i, std::string& value) const;

    std::unordered_map<std::uint64_t, Shape> shapes_;
    Statement other_; // the last statement of no reusable shape
    Shape* last_ = nullptr;
    std::vector<LiteralAt> literals_;
    std::string value_;
};

} // namespace db::sql
