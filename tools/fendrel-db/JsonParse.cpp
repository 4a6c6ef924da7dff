#include "JsonParse.h"

#include <cstdlib>
#include <stdexcept>

#include "jet/format/Text.h"

namespace fendrel_db {

bool JsonValue::isInteger() const {
    return kind == Kind::Number && text.find_first_of(".eE") == std::string::npos;
}

double JsonValue::number() const {
    return std::strtod(text.c_str(), nullptr);
}

const JsonValue* JsonValue::find(const std::string& name) const {
    for (const auto& m : members)
        if (m.first == name) return &m.second;
    return nullptr;
}

namespace {

class Parser {
public:
    explicit Parser(const std::string& s) : s_(s) {}

    JsonValue document() {
        JsonValue v = value(0);
        space();
        if (at_ != s_.size()) fail("unexpected text after the document");
        return v;
    }

private:
    [[noreturn]] void fail(const std::string& why) const {
        std::size_t line = 1, col = 1;
        for (std::size_t i = 0; i < at_ && i < s_.size(); ++i) {
            if (s_[i] == '\n') {
                ++line;
                col = 1;
            } else {
                ++col;
            }
        }
        throw std::runtime_error("line " + std::to_string(line) + ", column " + std::to_string(col) + ": " +
                                 why);
    }
    void space() {
        while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\n' || s_[at_] == '\r'))
            ++at_;
    }
    bool take(char c) {
        space();
        if (at_ < s_.size() && s_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    void expect(char c) {
        if (!take(c)) fail(std::string("expected '") + c + "'");
    }
    bool word(const char* w) {
        std::size_t n = std::char_traits<char>::length(w);
        if (s_.compare(at_, n, w) != 0) return false;
        at_ += n;
        return true;
    }

    JsonValue value(int depth) {
        if (depth > 64) fail("nested too deeply");
        space();
        if (at_ >= s_.size()) fail("unexpected end of the document");
        JsonValue v;
        char c = s_[at_];
        if (c == '{') {
            ++at_;
            v.kind = JsonValue::Kind::Object;
            if (take('}')) return v;
            do {
                space();
                if (at_ >= s_.size() || s_[at_] != '"') fail("expected a member name in quotes");
                std::string name = string();
                expect(':');
                v.members.emplace_back(std::move(name), value(depth + 1));
            } while (take(','));
            expect('}');
        } else if (c == '[') {
            ++at_;
            v.kind = JsonValue::Kind::Array;
            if (take(']')) return v;
            do
                v.items.push_back(value(depth + 1));
            while (take(','));
            expect(']');
        } else if (c == '"') {
            v.kind = JsonValue::Kind::String;
            v.text = string();
        } else if (word("true")) {
            v.kind = JsonValue::Kind::Boolean;
            v.boolean = true;
        } else if (word("false")) {
            v.kind = JsonValue::Kind::Boolean;
        } else if (word("null")) {
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            v.kind = JsonValue::Kind::Number;
            v.text = numberText();
        } else {
            fail(std::string("unexpected character '") + c + "'");
        }
        return v;
    }

    std::string numberText() {
        std::size_t start = at_;
        auto digits = [&] {
            std::size_t from = at_;
            while (at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '9')
                ++at_;
            if (at_ == from) fail("malformed number");
        };
        if (s_[at_] == '-') ++at_;
        digits();
        if (at_ < s_.size() && s_[at_] == '.') {
            ++at_;
            digits();
        }
        if (at_ < s_.size() && (s_[at_] == 'e' || s_[at_] == 'E')) {
            ++at_;
            if (at_ < s_.size() && (s_[at_] == '+' || s_[at_] == '-')) ++at_;
            digits();
        }
        return s_.substr(start, at_ - start);
    }

    unsigned hex4() {
        if (at_ + 4 > s_.size()) fail("short \\u escape");
        unsigned v = 0;
        for (int i = 0; i < 4; ++i) {
            char c = s_[at_++];
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                v |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                v |= static_cast<unsigned>(c - 'A' + 10);
            else
                fail("bad \\u escape");
        }
        return v;
    }

    std::string string() {
        ++at_; // the opening quote
        std::string out;
        for (;;) {
            if (at_ >= s_.size()) fail("unterminated string");
            char c = s_[at_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) fail("control character in a string");
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (at_ >= s_.size()) fail("unterminated string");
            char e = s_[at_++];
            switch (e) {
            case '"':
                out.push_back('"');
                break;
            case '\\':
                out.push_back('\\');
                break;
            case '/':
                out.push_back('/');
                break;
            case 'b':
                out.push_back('\b');
                break;
            case 'f':
                out.push_back('\f');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'u': {
                unsigned cp = hex4();
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    if (!(word("\\u"))) fail("lone surrogate in \\u escape");
                    unsigned lo = hex4();
                    if (lo < 0xDC00 || lo > 0xDFFF) fail("lone surrogate in \\u escape");
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    fail("lone surrogate in \\u escape");
                }
                jet::appendUtf8(out, cp);
                break;
            }
            default:
                fail(std::string("unknown escape \\") + e);
            }
        }
    }

    const std::string& s_;
    std::size_t at_ = 0;
};

} // namespace

JsonValue parseJson(const std::string& text) {
    return Parser(text).document();
}

} // namespace fendrel_db
