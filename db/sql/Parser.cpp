#include "db/sql/Parser.h"

#include "db/Calendar.h"
#include "db/DecimalText.h"
#include "db/Error.h"
#include "db/TextCase.h"
#include "db/sql/Lexer.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

namespace db::sql {

namespace {

Error notRun(const std::string& what) {
    return Error(ErrorNumber::NotSupported,
                 "Fendrel's database engine does not run this statement: " + what + ".");
}

// Walks the tokens of one statement. `fail` is the statement kind's own syntax error.
class Cursor {
public:
    Cursor(std::vector<Token> tokens, std::string syntaxMessage)
        : tokens_(std::move(tokens)), message_(std::move(syntaxMessage)) {}

    const Token& peek() const { return tokens_[pos_]; }
    Token take() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }

    bool atWord(std::string_view keyword) const {
        if (peek().kind != Token::Kind::Word || peek().text.size() != keyword.size()) return false;
        for (std::size_t i = 0; i < keyword.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(peek().text[i])) !=
                std::tolower(static_cast<unsigned char>(keyword[i])))
                return false;
        return true;
    }
    bool acceptWord(std::string_view keyword) {
        if (!atWord(keyword)) return false;
        ++pos_;
        return true;
    }
    void expectWord(std::string_view keyword) {
        if (!acceptWord(keyword)) throw fail();
    }
    bool atSymbol(char c) const { return peek().kind == Token::Kind::Symbol && peek().text[0] == c; }
    bool acceptSymbol(char c) {
        if (!atSymbol(c)) return false;
        ++pos_;
        return true;
    }
    void expectSymbol(char c) {
        if (!acceptSymbol(c)) throw fail();
    }

    std::string name() {
        const Token& t = peek();
        if (t.kind != Token::Kind::Word && t.kind != Token::Kind::QuotedName) throw fail();
        if (t.kind == Token::Kind::QuotedName && t.text.empty()) throw fail();
        return take().text;
    }

    // The end of the statement: an optional ";" and nothing after it.
    void expectEnd() {
        acceptSymbol(';');
        if (peek().kind != Token::Kind::End) throw fail();
    }

    Error fail() const { return Error(ErrorNumber::SyntaxError, message_); }

private:
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    std::string message_;
};

// A number as written: its double (infinite when it is too large for one, 0 when too small), and
// its value as a 64-bit integer when it is written as a whole number that fits.
Literal numberLiteral(const std::string& digits, bool negative, const Cursor& c) {
    Literal lit;
    lit.kind = Literal::Kind::Number;
    lit.text = (negative ? "-" : "") + digits;
    const char* first = lit.text.data();
    const char* last = first + lit.text.size();
    const auto exact = parseExactNumber(lit.text);
    auto [end, ec] = std::from_chars(first, last, lit.number);
    if (!exact || end != last) throw c.fail();
    if (ec == std::errc::result_out_of_range) {
        const double magnitude = exact->wholeDigits() > 0 ? HUGE_VAL : 0.0;
        lit.number = negative ? -magnitude : magnitude;
    } else if (ec != std::errc()) {
        throw c.fail();
    }
    if (digits.find_first_of(".eE") == std::string::npos) {
        auto [intEnd, intEc] = std::from_chars(first, last, lit.integer);
        lit.integral = intEc == std::errc() && intEnd == last;
    }
    return lit;
}

// Access's readers disagree on a text holding NUL (some cut it there), so none is stored.
void refuseNul(const std::string& text) {
    if (text.find('\0') != std::string::npos)
        throw Error(ErrorNumber::Unspecified,
                    "The text value holds a NUL character (code 0), which a text field cannot store.");
}

Literal literal(Cursor& c) {
    Literal lit;
    const Token t = c.peek();
    if (t.kind == Token::Kind::Text) {
        c.take();
        refuseNul(t.text);
        lit.kind = Literal::Kind::Text;
        lit.text = t.text;
        return lit;
    }
    if (t.kind == Token::Kind::Date) {
        c.take();
        auto days = parseDateLiteral(t.text);
        if (!days)
            throw Error(ErrorNumber::SyntaxError,
                        "Syntax error in date in query expression '#" + t.text + "#'.");
        lit.kind = Literal::Kind::Date;
        lit.days = *days;
        return lit;
    }
    if (t.kind == Token::Kind::Symbol && (t.text == "-" || t.text == "+")) {
        c.take();
        if (c.peek().kind != Token::Kind::Number) throw c.fail();
        return numberLiteral(c.take().text, t.text == "-", c);
    }
    if (t.kind == Token::Kind::Number) return numberLiteral(c.take().text, false, c);
    if (c.acceptWord("true") || c.acceptWord("yes")) {
        lit.kind = Literal::Kind::Boolean;
        lit.boolean = true;
        return lit;
    }
    if (c.acceptWord("false") || c.acceptWord("no")) {
        lit.kind = Literal::Kind::Boolean;
        return lit;
    }
    if (c.acceptWord("null")) return lit;
    if (t.kind == Token::Kind::Word || t.kind == Token::Kind::QuotedName)
        throw notRun("only constant values can be assigned or compared, not '" + t.text + "'");
    throw c.fail();
}

Statement parseSelect(Cursor& c) {
    Select s;
    if (c.acceptSymbol('*')) {
        s.allColumns = true;
    } else {
        do {
            s.columns.push_back(c.name());
        } while (c.acceptSymbol(','));
    }
    if (!c.acceptWord("from"))
        throw Error(ErrorNumber::SyntaxError,
                    "The SELECT statement includes a reserved word or an argument name that is misspelled or "
                    "missing, or the punctuation is incorrect.");
    try {
        s.table = c.name();
    } catch (const Error&) {
        throw Error(ErrorNumber::SyntaxError, "Syntax error in FROM clause.");
    }
    if (c.atWord("where") || c.atWord("order") || c.atWord("group") || c.atWord("having"))
        throw notRun("a SELECT reads whole tables, without " + asciiLower(c.peek().text) + " clauses");
    c.acceptSymbol(';');
    if (c.peek().kind != Token::Kind::End)
        throw Error(ErrorNumber::SyntaxError, "Syntax error in FROM clause.");
    return s;
}

Statement parseAlter(Cursor& c) {
    c.expectWord("table");
    const std::string table = c.name();
    if (c.acceptWord("add")) {
        c.acceptWord("column");
        AddColumn a;
        a.table = table;
        a.column = c.name();
        if (!(c.acceptWord("varchar") || c.acceptWord("text"))) {
            if (c.peek().kind == Token::Kind::Word)
                throw notRun("only text columns (VARCHAR or TEXT) can be added, not " + c.peek().text);
            throw c.fail();
        }
        if (c.acceptSymbol('(')) {
            const Token n = c.take();
            if (n.kind != Token::Kind::Number || n.text.find_first_not_of("0123456789") != std::string::npos)
                throw c.fail();
            long size = 0;
            const auto [end, ec] = std::from_chars(n.text.data(), n.text.data() + n.text.size(), size);
            c.expectSymbol(')');
            if (ec != std::errc() || end != n.text.data() + n.text.size() || size < 1 || size > 255)
                throw Error(ErrorNumber::Unspecified, "Size of field '" + a.column + "' is too long.");
            a.size = static_cast<int>(size);
        }
        c.expectEnd();
        return a;
    }
    if (c.acceptWord("drop")) {
        if (c.atWord("constraint")) throw notRun("constraints cannot be dropped");
        c.acceptWord("column");
        DropColumn d;
        d.table = table;
        d.column = c.name();
        c.expectEnd();
        return d;
    }
    if (c.atWord("alter")) throw notRun("columns cannot be changed, only added or dropped");
    throw c.fail();
}

Statement parseUpdate(Cursor& c) {
    Update u;
    u.table = c.name();
    c.expectWord("set");
    do {
        Assignment a;
        a.column = c.name();
        c.expectSymbol('=');
        a.value = literal(c);
        u.assignments.push_back(std::move(a));
    } while (c.acceptSymbol(','));
    if (c.acceptWord("where")) {
        Condition w;
        w.column = c.name();
        if (!c.acceptSymbol('=')) {
            if (c.peek().kind == Token::Kind::End) throw c.fail();
            throw notRun("a WHERE clause compares one column with one value, by =");
        }
        w.value = literal(c);
        if (c.atWord("and") || c.atWord("or"))
            throw notRun("a WHERE clause compares one column with one value");
        u.where = std::move(w);
    }
    c.expectEnd();
    return u;
}

// Reads an unsigned number of 1 to maxDigits digits.
bool readNumber(std::string_view s, std::size_t& i, int maxDigits, int& out, int& digits) {
    digits = 0;
    out = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < maxDigits) {
        out = out * 10 + (s[i] - '0');
        ++i;
        ++digits;
    }
    return digits > 0 && !(i < s.size() && s[i] >= '0' && s[i] <= '9');
}

void skipBlanks(std::string_view s, std::size_t& i) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
}

// [H:MM[:SS]][ AM|PM]
bool readTime(std::string_view s, std::size_t& i, CivilTime& t) {
    int digits;
    if (!readNumber(s, i, 2, t.hour, digits)) return false;
    if (i >= s.size() || s[i] != ':') return false;
    ++i;
    if (!readNumber(s, i, 2, t.minute, digits)) return false;
    if (i < s.size() && s[i] == ':') {
        ++i;
        if (!readNumber(s, i, 2, t.second, digits)) return false;
    }
    skipBlanks(s, i);
    if (i + 2 <= s.size()) {
        const std::string ampm = asciiLower(s.substr(i, 2));
        if (ampm == "am" || ampm == "pm") {
            if (t.hour < 1 || t.hour > 12) return false;
            if (ampm == "am" && t.hour == 12) t.hour = 0;
            if (ampm == "pm" && t.hour != 12) t.hour += 12;
            i += 2;
        }
    }
    return true;
}

int fullYear(int year, int digits) {
    if (digits > 2) return year;
    return year < 30 ? 2000 + year : 1900 + year; // the engine's two-digit year window
}

} // namespace

std::optional<double> parseDateLiteral(std::string_view s) {
    std::size_t i = 0;
    skipBlanks(s, i);
    CivilTime t;
    bool haveDate = false;
    const std::size_t start = i;
    int a, b, c, da, db, dc;
    if (readNumber(s, i, 4, a, da) && i < s.size() && (s[i] == '-' || s[i] == '/')) {
        const char sep = s[i++];
        if (!readNumber(s, i, 2, b, db) || i >= s.size() || s[i] != sep) return std::nullopt;
        ++i;
        if (!readNumber(s, i, 4, c, dc)) return std::nullopt;
        if (da == 4) { // year first: 2020-12-31 or 2020/12/31
            t.year = a;
            t.month = b;
            t.day = c;
        } else { // month first, as the engine reads dates in SQL: 12/31/2020
            t.month = a;
            t.day = b;
            t.year = fullYear(c, dc);
        }
        haveDate = true;
        if (i < s.size() && (s[i] == ' ' || s[i] == 'T')) ++i;
        skipBlanks(s, i);
    } else {
        i = start;
    }
    if (i < s.size()) {
        if (!readTime(s, i, t)) return std::nullopt;
    }
    skipBlanks(s, i);
    if (i != s.size()) return std::nullopt;
    if (!haveDate) {
        if (t.hour > 23 || t.minute > 59 || t.second > 59 || s.find(':') == std::string_view::npos)
            return std::nullopt;
        return (t.hour * 3600 + t.minute * 60 + t.second) / 86400.0;
    }
    return toAccessDays(t);
}

Statement parse(std::string_view text) {
    std::vector<Token> tokens;
    bool lexed = true;
    try {
        tokens = tokenize(text);
    } catch (const LexError&) {
        lexed = false;
    }
    std::string first;
    if (lexed) {
        if (tokens[0].kind == Token::Kind::Word) first = asciiLower(tokens[0].text);
    } else {
        // An unterminated quote or a stray character: still the syntax error of its statement.
        std::size_t i = text.find_first_not_of(" \t\r\n");
        while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])))
            first += text[i++];
        first = asciiLower(first);
    }
    const auto syntaxFor = [](const std::string& kind) -> std::string {
        if (kind == "update") return "Syntax error in UPDATE statement.";
        if (kind == "alter") return "Syntax error in ALTER TABLE statement.";
        if (kind == "select") return "Syntax error in query expression.";
        return "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.";
    };
    if (first != "select" && first != "alter" && first != "update") {
        if (first == "delete" || first == "insert" || first == "create" || first == "drop")
            throw notRun(asciiLower(first) + " statements are not supported");
        throw Error(ErrorNumber::SyntaxError, syntaxFor(first));
    }
    if (!lexed) throw Error(ErrorNumber::SyntaxError, syntaxFor(first));
    Cursor c(std::move(tokens), syntaxFor(first));
    c.take();
    if (first == "select") return parseSelect(c);
    if (first == "alter") return parseAlter(c);
    return parseUpdate(c);
}

} // namespace db::sql
