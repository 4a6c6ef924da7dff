// libFuzzer target over the SQL parser. The first byte picks the check:
//  - even: the rest is a statement's text; it parses or is refused with a db::Error, nothing else;
//  - odd: the rest is a piece and a record's value (split at the first NUL; a value holding another is
//    left out, as no text field holds one); the UPDATE the split would send for them parses, and gives
//    back the piece and the value exactly, parsed in full and through the shape a connection keeps.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "db/Error.h"
#include "db/sql/Parser.h"
#include "db/sql/Shapes.h"
#include "split/Statements.h"

namespace {

[[noreturn]] void finding(const char* what, std::string_view text) {
    std::fprintf(stderr, "fuzz_sql: %s\n  statement: %.*s\n", what, static_cast<int>(text.size()), text.data());
    std::abort();
}

void parsesOrIsRefused(std::string_view text) {
    try {
        db::sql::parse(text);
    } catch (const db::Error&) {
    }
}

void updateGivesBackItsTexts(std::string_view input) {
    const std::size_t cut = input.find('\0');
    const std::string piece(input.substr(0, cut));
    const std::string value(cut == std::string_view::npos ? std::string_view{} : input.substr(cut + 1));
    // A text field cannot hold NUL: the parser refuses such a literal, saying so.
    if (value.find('\0') != std::string::npos) return;
    const std::string text =
        split::UpdateText("T", "SPLITCOLUMN1", piece, "`Value`", split::WhereForm::Quoted, value);
    // Read back by a full parse, and by the parse of its shape that a connection keeps (every text
    // here has one shape, so all but the first take the kept parse with their own literals).
    static db::sql::Shapes shapes;
    for (bool kept : {false, true}) {
        db::sql::Statement s;
        try {
            s = kept ? shapes.parse(text) : db::sql::parse(text);
        } catch (const db::Error& e) {
            finding(e.what(), text);
        }
        const auto* u = std::get_if<db::sql::Update>(&s);
        if (!u || u->table != "T" || u->assignments.size() != 1 || !u->where) finding("not the UPDATE sent", text);
        const db::sql::Literal& set = u->assignments[0].value;
        if (u->assignments[0].column != "SPLITCOLUMN1" || set.kind != db::sql::Literal::Kind::Text ||
            set.text != piece)
            finding(kept ? "the piece read back through the kept shape differs" : "the piece read back differs",
                    text);
        if (u->where->column != "Value" || u->where->value.kind != db::sql::Literal::Kind::Text ||
            u->where->value.text != value)
            finding(kept ? "the value read back through the kept shape differs" : "the value read back differs",
                    text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] % 2 == 0)
        parsesOrIsRefused(rest);
    else
        updateGivesBackItsTexts(rest);
    return 0;
}
