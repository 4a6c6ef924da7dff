#include "Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace fendrel_db {

void appendJsonString(std::string& out, const std::string& s) {
    out.push_back('"');
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out.push_back(ch);
            }
        }
    }
    out.push_back('"');
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

// Shortest text that reads back to the same value; JSON has no NaN or infinities, so those are strings.
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
