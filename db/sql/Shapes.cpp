#include "db/sql/Shapes.h"

#include <array>
#include <cstring>

#include "db/sql/Parser.h"

namespace db::sql {

namespace {

// The characters that open a name, a date or a literal.
constexpr std::array<bool, 256> opensAPart = [] {
    std::array<bool, 256> opens{};
    for (const unsigned char c : {'[', '`', '#', '\''})
        opens[c] = true;
    return opens;
}();

// Mixes `run` into `h`, eight bytes at a time; its length too, so that runs cut elsewhere differ.
std::uint64_t mixed(std::uint64_t h, std::string_view run) {
    constexpr std::uint64_t k = 0x9E3779B97F4A7C15ull;
    const auto step = [&](std::uint64_t word) {
        h = (h ^ word) * k;
        h ^= h >> 29;
    };
    std::size_t i = 0;
    for (; i + 8 <= run.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, run.data() + i, 8);
        step(word);
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, run.data() + i, run.size() - i);
    step(tail);
    step(run.size());
    return h;
}

// Calls visit with each text literal of an UPDATE, in the order it is written: its assignments',
// then its WHERE's.
template <class Visit> void forEachTextLiteral(Update& u, Visit&& visit) {
    for (Assignment& a : u.assignments)
        if (a.value.kind == Literal::Kind::Text) visit(a.value);
    if (u.where && u.where->value.kind == Literal::Kind::Text) visit(u.where->value);
}

} // namespace

bool Shapes::close(std::string_view text, LiteralAt& l) {
    for (std::size_t j = l.begin + 1;;) {
        const std::size_t quote = text.find('\'', j);
        if (quote == std::string_view::npos) return false;
        if (quote + 1 < text.size() && text[quote + 1] == '\'') {
            l.doubled = true;
            j = quote + 2;
            continue;
        }
        l.end = quote + 1;
        return !std::memchr(text.data() + l.begin + 1, '\0', l.end - l.begin - 2);
    }
}

bool Shapes::read(std::string_view text, std::uint64_t& hash) {
    literals_.clear();
    hash = 0;
    std::size_t from = 0; // where the text since the last literal starts
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '[' || c == '`' || c == '#') {
            // Names and dates are kept whole, as the lexer reads them.
            const std::size_t end = text.find(c == '[' ? ']' : c, i + 1);
            if (end == std::string_view::npos) return false;
            i = end + 1;
        } else if (c == '\'') {
            LiteralAt l{i, 0, false};
            if (!close(text, l)) return false;
            hash = mixed(hash, text.substr(from, l.begin - from));
            literals_.push_back(l);
            from = i = l.end;
        } else {
            // Up to the next name, date or literal.
            for (++i; i < text.size() && !opensAPart[static_cast<unsigned char>(text[i])];)
                ++i;
        }
    }
    hash = mixed(hash, text.substr(from));
    return true;
}

bool Shapes::matches(const Shape& shape, std::string_view text) {
    // The text up to each literal is the key's, byte for byte: read as read() reads it, it opens the
    // same names and dates and closes them within it, so a literal starts at the same place.
    literals_.clear();
    const std::string_view key = shape.key;
    std::size_t t = 0, k = 0;
    for (const std::size_t mark : shape.marks) {
        const std::size_t n = mark - k;
        if (text.size() - t < n + 1 || text.compare(t, n, key.substr(k, n)) != 0 || text[t + n] != '\'')
            return false;
        LiteralAt l{t + n, 0, false};
        if (!close(text, l)) return false;
        literals_.push_back(l);
        t = l.end;
        k = mark + 2;
    }
    return text.substr(t) == key.substr(k);
}

Shapes::Shape* Shapes::expected(std::string_view text) {
    if (!last_) return nullptr;
    for (Shape* s : {last_->next, last_})
        if (s && s->reusable && matches(*s, text)) return s;
    return nullptr;
}

void Shapes::follow(Shape& shape) {
    if (last_) last_->next = &shape;
    last_ = &shape;
}

const Statement& Shapes::reuse(Shape& shape, std::string_view text) {
    follow(shape);
    std::size_t next = 0;
    forEachTextLiteral(std::get<Update>(shape.statement), [&](Literal& l) { valueOf(text, next++, l.text); });
    return shape.statement;
}

void Shapes::keyOf(std::string_view text, Shape& shape) const {
    std::string& key = shape.key;
    key.reserve(text.size());
    std::size_t from = 0;
    for (const LiteralAt& l : literals_) {
        key.append(text.substr(from, l.begin - from));
        shape.marks.push_back(key.size());
        key += "''";
        from = l.end;
    }
    key.append(text.substr(from));
}

void Shapes::valueOf(std::string_view text, std::size_t i, std::string& value) const {
    const LiteralAt& l = literals_[i];
    const std::string_view inside = text.substr(l.begin + 1, l.end - l.begin - 2);
    if (!l.doubled) {
        value.assign(inside);
        return;
    }
    value.clear();
    for (std::size_t j = 0; j < inside.size(); ++j) {
        value += inside[j];
        if (inside[j] == '\'') ++j; // the second of a doubled quote
    }
}

const Statement& Shapes::parse(std::string_view text) {
    if (Shape* s = expected(text)) return reuse(*s, text);
    std::uint64_t hash = 0;
    if (!read(text, hash)) return other_ = sql::parse(text);
    if (auto known = shapes_.find(hash); known != shapes_.end()) {
        Shape& shape = known->second;
        if (shape.reusable && matches(shape, text)) return reuse(shape, text);
        return other_ = sql::parse(text);
    }
    Shape shape{{}, {}, sql::parse(text), false, nullptr};
    keyOf(text, shape);
    if (auto* update = std::get_if<Update>(&shape.statement)) {
        // Reusable only when the parse holds exactly the literals read, in the order read.
        std::size_t next = 0;
        bool same = true;
        forEachTextLiteral(*update, [&](const Literal& l) {
            if (next < literals_.size()) valueOf(text, next, value_);
            same = same && next < literals_.size() && l.text == value_;
            ++next;
        });
        shape.reusable = same && next == literals_.size();
    }
    if (shapes_.size() >= MaxShapes) {
        shapes_.clear();
        last_ = nullptr;
    }
    Shape& kept = shapes_.emplace(hash, std::move(shape)).first->second;
    if (kept.reusable) follow(kept);
    return kept.statement;
}

} // namespace db::sql
