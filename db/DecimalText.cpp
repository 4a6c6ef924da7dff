#include "db/DecimalText.h"

#include <algorithm>
#include <limits>

namespace db {

std::string canonicalDecimal(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative || (!text.empty() && text.front() == '+')) text.remove_prefix(1);
    const auto point = text.find('.');
    std::string whole(text.substr(0, point));
    std::string fraction = point == std::string_view::npos ? "" : std::string(text.substr(point + 1));
    while (whole.size() > 1 && whole.front() == '0')
        whole.erase(0, 1);
    if (whole.empty()) whole = "0";
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    std::string out = whole + (fraction.empty() ? "" : "." + fraction);
    return negative && out != "0" ? "-" + out : out;
}

std::int64_t ExactNumber::wholeDigits() const {
    return isZero() ? 0 : std::max<std::int64_t>(0, static_cast<std::int64_t>(digits.size()) + exponent);
}

std::optional<ExactNumber> parseExactNumber(std::string_view text) {
    ExactNumber n;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) n.negative = text[i++] == '-';
    std::string digits;
    std::int64_t fraction = 0;
    bool any = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            any = true;
            if (digits.empty() && c == '0') {
                if (point) ++fraction; // a leading zero after the point still counts as a place
                continue;
            }
            digits += c;
            if (point) ++fraction;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!any) return std::nullopt;
    // The exponent, kept within bounds far beyond every type's range so that it cannot overflow.
    constexpr std::int64_t bound = 1'000'000;
    std::int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
        if (i >= text.size()) return std::nullopt;
        for (; i < text.size(); ++i) {
            if (text[i] < '0' || text[i] > '9') return std::nullopt;
            exponent = std::min(bound, exponent * 10 + (text[i] - '0'));
        }
        if (negative) exponent = -exponent;
    }
    if (i != text.size()) return std::nullopt;
    std::size_t trailing = 0;
    while (trailing < digits.size() && digits[digits.size() - 1 - trailing] == '0')
        ++trailing;
    digits.resize(digits.size() - trailing);
    n.digits = std::move(digits);
    n.exponent = n.isZero() ? 0 : exponent - fraction + static_cast<std::int64_t>(trailing);
    if (n.isZero()) n.negative = false;
    return n;
}

std::optional<std::string> roundedDecimal(const ExactNumber& n, int scale, int maxWhole) {
    if (n.isZero()) return std::string("0");
    // Digits that would lie before the point: too many is an overflow even before rounding.
    if (n.wholeDigits() > maxWhole) return std::nullopt;
    std::string digits = n.digits;
    std::int64_t exponent = n.exponent;
    if (exponent < -scale) {
        // Drop the places beyond the scale; the first dropped digit decides, half away from zero.
        const std::int64_t drop = -scale - exponent;
        const bool up = drop <= static_cast<std::int64_t>(digits.size()) &&
                        digits[digits.size() - static_cast<std::size_t>(drop)] >= '5';
        digits.resize(drop < static_cast<std::int64_t>(digits.size())
                          ? digits.size() - static_cast<std::size_t>(drop)
                          : 0);
        exponent = -scale;
        if (up) {
            std::size_t k = digits.size();
            while (k > 0 && digits[k - 1] == '9')
                digits[--k] = '0';
            if (k == 0)
                digits.insert(digits.begin(), '1');
            else
                ++digits[k - 1];
        }
        if (digits.empty()) return std::string("0");
    }
    // Lay the digits out around the point.
    std::string whole, fraction;
    if (exponent >= 0) {
        whole = digits + std::string(static_cast<std::size_t>(exponent), '0');
    } else {
        const auto places = static_cast<std::size_t>(-exponent);
        if (digits.size() > places) {
            whole = digits.substr(0, digits.size() - places);
            fraction = digits.substr(digits.size() - places);
        } else {
            fraction = std::string(places - digits.size(), '0') + digits;
        }
    }
    const auto firstWhole = whole.find_first_not_of('0');
    whole = firstWhole == std::string::npos ? "0" : whole.substr(firstWhole);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (whole != "0" && static_cast<std::int64_t>(whole.size()) > maxWhole) return std::nullopt;
    if (whole == "0" && fraction.empty()) return std::string("0");
    return (n.negative ? "-" : "") + whole + (fraction.empty() ? "" : "." + fraction);
}

std::optional<std::int64_t> exactInteger(const ExactNumber& n, std::int64_t lo, std::int64_t hi) {
    if (n.isZero()) return lo <= 0 && 0 <= hi ? std::optional<std::int64_t>(0) : std::nullopt;
    if (n.exponent < 0 || n.wholeDigits() > 19) return std::nullopt;
    // At most 19 digits: the magnitude fits an unsigned 64-bit number.
    std::uint64_t magnitude = 0;
    for (char c : n.digits)
        magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
    for (std::int64_t k = 0; k < n.exponent; ++k) {
        if (magnitude > std::numeric_limits<std::uint64_t>::max() / 10) return std::nullopt;
        magnitude *= 10;
    }
    constexpr std::uint64_t limit = std::uint64_t{1} << 63;
    if (magnitude > (n.negative ? limit : limit - 1)) return std::nullopt;
    const std::int64_t value =
        n.negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    if (value < lo || value > hi) return std::nullopt;
    return value;
}

} // namespace db
