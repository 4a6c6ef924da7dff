#pragma once
// Exact decimal numbers as text.

#include <string>
#include <string_view>

namespace db {

// "-007.500" -> "-7.5": no leading zeros, no trailing fractional zeros, no sign on zero. The input
// is an optional "-", digits, and an optional "." with digits.
std::string canonicalDecimal(std::string_view text);

// True when text is such a decimal (optional sign, digits, optional fraction).
bool isPlainDecimal(std::string_view text);

} // namespace db
