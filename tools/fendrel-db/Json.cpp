#include "Json.h"

#include <charconv>
#include <cmath>

#include <nlohmann/json.hpp>

namespace fendrel_db {

void appendJsonString(std::string& out, const std::string& s) {
    // Printable ASCII needs no escape and is appended as is: most of what a table holds.
    bool plain = true;
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c >= 0x7f || c == '"' || c == '\\') {
            plain = false;
            break;
        }
    }
    if (plain) {
        out.push_back('"');
        out += s;
        out.push_back('"');
        return;
    }
    // Bytes that are not UTF-8 (the engine makes none) become U+FFFD rather than failing the row.
    const std::string quoted =
        nlohmann::json(s).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    // Backspace and form feed keep the \u forms this program has always printed, not \b and \f.
    for (std::size_t i = 0; i < quoted.size(); ++i) {
        if (quoted[i] != '\\') {
            out.push_back(quoted[i]);
            continue;
        }
        const char e = quoted[++i]; // every backslash the dump writes begins an escape
        if (e == 'b')
            out += "\\u0008";
        else if (e == 'f')
            out += "\\u000c";
        else {
            out.push_back('\\');
            out.push_back(e);
        }
    }
}

std::string base64(const std::vector<std::uint8_t>& b) {
    static const char* abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((b.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < b.size(); i += 3) {
        std::uint32_t n = static_cast<std::uint32_t>(b[i]) << 16 | b[i + 1] << 8 | b[i + 2];
        out += abc[n >> 18];
        out += abc[(n >> 12) & 63];
        out += abc[(n >> 6) & 63];
        out += abc[n & 63];
    }
    if (i < b.size()) {
        std::uint32_t n = static_cast<std::uint32_t>(b[i]) << 16 | (i + 1 < b.size() ? b[i + 1] << 8 : 0);
        out += abc[n >> 18];
        out += abc[(n >> 12) & 63];
        out += i + 1 < b.size() ? abc[(n >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

namespace {

// Shortest text that reads back to the same value, in the value's own precision (a Single's 0.1
// prints as 0.1, not as the double nearest it); JSON has no NaN or infinities, so those are strings.
template <class T> void appendNumber(std::string& out, T value) {
    if (std::isnan(value)) {
        out += "\"NaN\"";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "\"-Infinity\"" : "\"Infinity\"";
        return;
    }
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

} // namespace

void appendJsonValue(std::string& out, const jet::Value& v) {
    using K = jet::Value::Kind;
    switch (v.kind) {
    case K::Null:
        out += "null";
        return;
    case K::Boolean:
        out += v.boolean ? "true" : "false";
        return;
    case K::Integer:
    case K::ComplexId:
        out += std::to_string(v.integer);
        return;
    case K::Single:
        appendNumber(out, static_cast<float>(v.real));
        return;
    case K::Double:
        appendNumber(out, v.real);
        return;
    case K::Currency:
        appendJsonString(out, jet::formatCurrency(v.integer));
        return;
    case K::DateTime:
        appendJsonString(out, jet::formatDateTime(v.real));
        return;
    case K::Decimal:
    case K::ExtDateTime:
    case K::Text:
    case K::Guid:
        appendJsonString(out, v.text);
        return;
    case K::Binary:
        appendJsonString(out, "base64:" + base64(v.bytes));
        return;
    }
}

} // namespace fendrel_db
