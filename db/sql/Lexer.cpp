#include "db/sql/Lexer.h"

namespace db::sql {

namespace {

bool isNameChar(unsigned char c) {
    // Letters of any script arrive as UTF-8 bytes of 0x80 and above.
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c >= 0x80;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads up to the closing character; returns the text between.
std::string enclosed(std::string_view text, std::size_t& i, char close) {
    const std::size_t start = i;
    const auto end = text.find(close, i + 1);
    if (end == std::string_view::npos) throw LexError{start};
    i = end + 1;
    return std::string(text.substr(start + 1, end - start - 1));
}

} // namespace

std::vector<Token> tokenize(std::string_view text) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        const std::size_t start = i;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c == '[') {
            tokens.push_back({Token::Kind::QuotedName, enclosed(text, i, ']'), start});
        } else if (c == '`') {
            tokens.push_back({Token::Kind::QuotedName, enclosed(text, i, '`'), start});
        } else if (c == '#') {
            tokens.push_back({Token::Kind::Date, enclosed(text, i, '#'), start});
        } else if (c == '\'') {
            std::string value;
            ++i;
            for (;;) {
                if (i >= text.size()) throw LexError{start};
                if (text[i] == '\'') {
                    if (i + 1 < text.size() && text[i + 1] == '\'') {
                        value += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i++];
            }
            tokens.push_back({Token::Kind::Text, std::move(value), start});
        } else if (isDigit(c) || (c == '.' && i + 1 < text.size() && isDigit(text[i + 1]))) {
            while (i < text.size() && isDigit(text[i]))
                ++i;
            if (i < text.size() && text[i] == '.') {
                ++i;
                while (i < text.size() && isDigit(text[i]))
                    ++i;
            }
            if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
                std::size_t j = i + 1;
                if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
                if (j < text.size() && isDigit(text[j])) {
                    i = j;
                    while (i < text.size() && isDigit(text[i]))
                        ++i;
                }
            }
            if (i < text.size() && isNameChar(static_cast<unsigned char>(text[i]))) {
                // A name may begin with digits (a column called 2ndLine).
                while (i < text.size() && isNameChar(static_cast<unsigned char>(text[i])))
                    ++i;
                tokens.push_back({Token::Kind::Word, std::string(text.substr(start, i - start)), start});
            } else {
                tokens.push_back({Token::Kind::Number, std::string(text.substr(start, i - start)), start});
            }
        } else if (isNameChar(static_cast<unsigned char>(c))) {
            while (i < text.size() && isNameChar(static_cast<unsigned char>(text[i])))
                ++i;
            tokens.push_back({Token::Kind::Word, std::string(text.substr(start, i - start)), start});
        } else if (c == '*' || c == ',' || c == '(' || c == ')' || c == '=' || c == ';' || c == '-' ||
                   c == '+' || c == '<' || c == '>' || c == '.') {
            tokens.push_back({Token::Kind::Symbol, std::string(1, c), start});
            ++i;
        } else {
            throw LexError{start};
        }
    }
    tokens.push_back({Token::Kind::End, "", text.size()});
    return tokens;
}

} // namespace db::sql
