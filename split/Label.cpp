#include "split/Label.h"

#include "split/Pieces.h"
#include "split/Statements.h"

#include <cwctype>
#include <locale.h>
#include <wctype.h>

namespace split {

namespace {

// The next code point of well-formed UTF-8, or -1.
long nextCodePoint(std::string_view s, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    const int extra = c < 0x80             ? 0
                      : (c & 0xE0) == 0xC0 ? 1
                      : (c & 0xF0) == 0xE0 ? 2
                      : (c & 0xF8) == 0xF0 ? 3
                                           : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) return -1;
    long cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) return -1;
        cp = cp << 6 | (b & 0x3F);
    }
    static const long least[] = {0, 0x80, 0x800, 0x10000};
    if (cp < least[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    i += extra + 1;
    return cp;
}

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
        const long cp = nextCodePoint(s, i);
        if (cp < 0) return false;
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
