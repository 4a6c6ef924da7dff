#include "split/Label.h"

#include "split/Pieces.h"
#include "split/Statements.h"

#include <cwctype>
#include <locale.h>
#include <wctype.h>

namespace split {

namespace {

// Letters of every script, as Unicode classes them.
bool isLetter(long cp) {
    if (cp < 0x80) return (cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z');
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (unicode) return iswalpha_l(static_cast<wint_t>(cp), unicode) != 0;
    return std::iswalpha(static_cast<wint_t>(cp)) != 0;
}

const char* const Rule = "a label is made of letters, digits and underscores and does not start with a digit";

} // namespace

bool IsPlainName(std::string_view s) {
    if (s.empty()) return false;
    for (std::size_t i = 0; i < s.size();) {
        const bool first = i == 0;
        const std::optional<char32_t> next = jet::nextCodePoint(s, i);
        if (!next) return false;
        const long cp = static_cast<long>(*next);
        const bool digit = cp >= '0' && cp <= '9';
        if (first && digit) return false;
        if (!(digit || cp == '_' || isLetter(cp))) return false;
    }
    return true;
}

std::optional<std::string> LabelRefusal(const std::string& label, int columns) {
    if (label.empty())
        return "Please type a label for the new fields (" + std::string(Rule) + "). Nothing was changed.";
    if (!IsPlainName(label))
        return "The label '" + label + "' cannot name the new fields: " + Rule + ". Nothing was changed.";
    if (columns > 0) {
        const std::string widest = ColumnName(label, columns);
        if (TextLength(widest) > MaxNameLength)
            return "The label '" + label + "' is too long: the field " + widest + " would have " +
                   std::to_string(TextLength(widest)) + " characters, and a field name has at most " +
                   std::to_string(MaxNameLength) + ". Nothing was changed.";
    }
    return std::nullopt;
}

} // namespace split
