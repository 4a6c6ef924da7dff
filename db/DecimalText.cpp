#include "db/DecimalText.h"

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

bool isPlainDecimal(std::string_view text) {
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    bool digits = false, point = false;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

} // namespace db
