#pragma once
// Splits a statement into tokens: names (bare, in [ ], or in back-quotes), keywords and bare
// names alike as Word, text literals in '...', numbers, dates in #...#, and punctuation.

#include <string>
#include <string_view>
#include <vector>

namespace db::sql {

struct Token {
    enum class Kind { Word, QuotedName, Text, Number, Date, Symbol, End };
    Kind kind = Kind::End;
    std::string text; // the name, the literal's value, the number's digits, the date's inside, or the symbol
    std::size_t offset = 0;
};

// Throws LexError on an unterminated quote, bracket or date, or a character that starts no token.
struct LexError {
    std::size_t offset;
};

std::vector<Token> tokenize(std::string_view text);

} // namespace db::sql
