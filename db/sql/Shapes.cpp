#include "db/sql/Shapes.h"

#include <array>

#include "db/sql/Parser.h"

namespace db::sql {

namespace {

// Reads the text literal starting at text[i] (a quote) into `value`, a doubled quote standing for
// one; false when it is not closed.
bool readTextLiteral(std::string_view text, std::size_t& i, std::string& value) {
    value.clear();
    for (++i;;) {
        const std::size_t quote = text.find('\'', i);
        if (quote == std::string_view::npos) return false;
        value.append(text.substr(i, quote - i));
        if (quote + 1 < text.size() && text[quote + 1] == '\'') {
            value += '\'';
            i = quote + 2;
            continue;
        }
        i = quote + 1;
        return true;
    }
}

// The characters that open a name, a date or a literal.
constexpr std::array<bool, 256> opensAPart = [] {
    std::array<bool, 256> opens{};
    for (const unsigned char c : {'[', '`', '#', '\''})
        opens[c] = true;
    return opens;
}();

// The statement's shape (its text with every text literal's inside left out) into `key`, and the
// literals' values, in order, into the first `count` of `literals`. Names in [ ] or back-quotes and
// dates in # # are kept whole, as the lexer reads them. False when one of them is not closed, or a
// literal holds a NUL: the full parse says what is wrong.
bool shapeOf(std::string_view text, std::string& key, std::vector<std::string>& literals, std::size_t& count) {
    key.clear();
    count = 0;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '[' || c == '`' || c == '#') {
            const std::size_t end = text.find(c == '[' ? ']' : c, i + 1);
            if (end == std::string_view::npos) return false;
            key.append(text.substr(i, end + 1 - i));
            i = end + 1;
        } else if (c == '\'') {
            if (count == literals.size()) literals.emplace_back();
            std::string& value = literals[count++];
            if (!readTextLiteral(text, i, value) || value.find('\0') != std::string::npos) return false;
            key += "''";
        } else {
            // Up to the next name, date or literal, as it stands.
            std::size_t end = i + 1;
            while (end < text.size() && !opensAPart[static_cast<unsigned char>(text[end])])
                ++end;
            key.append(text.substr(i, end - i));
            i = end;
        }
    }
    return true;
}

// Calls visit with each text literal of an UPDATE, in the order it is written: its assignments',
// then its WHERE's.
template <class Visit> void forEachTextLiteral(Update& u, Visit&& visit) {
    for (Assignment& a : u.assignments)
        if (a.value.kind == Literal::Kind::Text) visit(a.value);
    if (u.where && u.where->value.kind == Literal::Kind::Text) visit(u.where->value);
}

} // namespace

const Statement& Shapes::parse(std::string_view text) {
    std::size_t count = 0;
    if (!shapeOf(text, key_, literals_, count)) return other_ = sql::parse(text);
    if (auto known = shapes_.find(key_); known != shapes_.end()) {
        if (!known->second.reusable) return other_ = sql::parse(text);
        std::size_t next = 0;
        forEachTextLiteral(std::get<Update>(known->second.statement), [&](Literal& l) { l.text = literals_[next++]; });
        return known->second.statement;
    }
    Shape shape{sql::parse(text), false};
    if (auto* update = std::get_if<Update>(&shape.statement)) {
        // Reusable only when the parse holds exactly the literals read, in the order read.
        std::size_t next = 0;
        bool same = true;
        forEachTextLiteral(*update, [&](const Literal& l) {
            same = same && next < count && l.text == literals_[next];
            ++next;
        });
        shape.reusable = same && next == count;
    }
    if (shapes_.size() >= MaxShapes) shapes_.clear();
    return shapes_.emplace(key_, std::move(shape)).first->second.statement;
}

} // namespace db::sql
