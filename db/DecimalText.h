#pragma once
// Exact decimal numbers as text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace db {

// "-007.500" -> "-7.5": no leading zeros, no trailing fractional zeros, no sign on zero. The input
// is an optional "-", digits, and an optional "." with digits.
std::string canonicalDecimal(std::string_view text);

// A number as SQL writes it (an optional sign, digits with an optional fraction, an optional
// exponent), exactly: its significant digits and the power of ten of the last one, so
// "-12.50e3" is -125 * 10^2. Zero has no digits.
struct ExactNumber {
    bool negative = false;
    std::string digits;        // no leading or trailing zeros
    std::int64_t exponent = 0; // of the last digit

    bool isZero() const { return digits.empty(); }
    // Digits before the point (0 for a number below 1).
    std::int64_t wholeDigits() const;
    // Digits after the point (0 for a whole number).
    std::int64_t fractionDigits() const { return exponent < 0 ? -exponent : 0; }
};

// Nullopt when text is not such a number.
std::optional<ExactNumber> parseExactNumber(std::string_view text);

// The number as plain decimal text ("-12500", "0.125"), rounded to at most `scale` decimals half
// away from zero; nullopt when it then has more than `maxWhole` digits before the point.
std::optional<std::string> roundedDecimal(const ExactNumber& n, int scale, int maxWhole);

// The number as a whole number when it is one and lies in [lo, hi].
std::optional<std::int64_t> exactInteger(const ExactNumber& n, std::int64_t lo, std::int64_t hi);

} // namespace db
