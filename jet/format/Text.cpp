#include "jet/format/Text.h"

namespace jet {

namespace {

// Turns a stream of UTF-16 units into UTF-8, pairing surrogates across calls.
class Utf16Sink {
public:
    explicit Utf16Sink(std::string& out) : out_(out) {}
    void put(char16_t u) {
        if (high_) {
            if (u >= 0xDC00 && u <= 0xDFFF) {
                appendUtf8(out_, 0x10000 + ((char32_t{high_} - 0xD800) << 10) + (u - 0xDC00));
                high_ = 0;
                return;
            }
            appendUtf8(out_, 0xFFFD);
            high_ = 0;
        }
        if (u >= 0xD800 && u <= 0xDBFF)
            high_ = u;
        else if (u >= 0xDC00 && u <= 0xDFFF)
            appendUtf8(out_, 0xFFFD);
        else
            appendUtf8(out_, u);
    }
    void finish() {
        if (high_) appendUtf8(out_, 0xFFFD);
        high_ = 0;
    }
    // Appends ASCII characters as they are; false (nothing done) while half a pair waits.
    bool putAscii(const std::uint8_t* from, std::size_t count) {
        if (high_) return false;
        out_.append(reinterpret_cast<const char*>(from), count);
        return true;
    }

private:
    std::string& out_;
    char16_t high_ = 0;
};

} // namespace

void decodeUcs2(const std::uint8_t* data, std::size_t length, std::string& out) {
    out.clear();
    out.reserve(length / 2);
    Utf16Sink sink(out);
    for (std::size_t i = 0; i + 1 < length; i += 2)
        sink.put(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    sink.finish();
}

std::string decodeUcs2(const std::uint8_t* data, std::size_t length) {
    std::string out;
    decodeUcs2(data, length, out);
    return out;
}

void decodeJet4Text(const std::uint8_t* data, std::size_t length, std::string& out) {
    if (length < 2 || data[0] != 0xFF || data[1] != 0xFE) return decodeUcs2(data, length, out);
    out.clear();
    out.reserve(length);
    Utf16Sink sink(out);
    bool compressed = true;
    std::size_t i = 2;
    while (i < length) {
        if (data[i] == 0) {
            compressed = !compressed;
            ++i;
            continue;
        }
        if (compressed) {
            // Most compressed text is ASCII: a run of it goes across whole.
            std::size_t end = i;
            while (end < length && data[end] != 0 && data[end] < 0x80)
                ++end;
            if (end > i + 1 && sink.putAscii(data + i, end - i)) {
                i = end;
                continue;
            }
            sink.put(data[i]);
            ++i;
        } else {
            if (i + 1 >= length) break; // half a character at the end
            sink.put(static_cast<char16_t>(data[i] | data[i + 1] << 8));
            i += 2;
        }
    }
    sink.finish();
}

std::string decodeJet4Text(const std::uint8_t* data, std::size_t length) {
    std::string out;
    decodeJet4Text(data, length, out);
    return out;
}

} // namespace jet
