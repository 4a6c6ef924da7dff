#include "jet/write/RowChanges.h"

#include "jet/base/Error.h"

namespace jet {

namespace {

// Laid out as: per step, the tested column (u16), the text's length (u32) and bytes, the number of
// values (u16); per value, its column (u16), null and bit (a byte each), its length (u32) and bytes.
void putText(Bytes& out, const std::uint8_t* data, std::size_t size) {
    appendU32(out, static_cast<std::uint32_t>(size));
    out.insert(out.end(), data, data + size);
}

class Cursor {
public:
    explicit Cursor(ByteView bytes) : v_(bytes) {}
    bool done() const { return at_ == v_.size(); }
    std::uint8_t u8() { return v_.u8(take(1)); }
    std::uint16_t u16() { return v_.u16(take(2)); }
    std::uint32_t u32() { return v_.u32(take(4)); }
    ByteView bytes(std::size_t n) { return v_.sub(take(n), n); }

private:
    std::size_t take(std::size_t n) {
        if (n > v_.size() - at_) throw Error("internal error: the changes held for a row are cut short");
        const std::size_t at = at_;
        at_ += n;
        return at;
    }
    ByteView v_;
    std::size_t at_ = 0;
};

} // namespace

void RowChanges::add(std::size_t column, std::string_view text, std::vector<std::pair<std::size_t, FieldValue>> values) {
    if (!steps.empty()) {
        Step& last = steps.back();
        bool setsTested = false;
        for (const auto& [c, v] : last.values)
            setsTested = setsTested || c == last.column;
        if (last.column == column && last.text == text && !setsTested) {
            for (auto& [c, v] : values) {
                bool replaced = false;
                for (auto& [had, old] : last.values)
                    if (had == c) {
                        old = std::move(v);
                        replaced = true;
                    }
                if (!replaced) last.values.emplace_back(c, std::move(v));
            }
            return;
        }
    }
    steps.push_back({column, std::string(text), std::move(values)});
}

Bytes RowChanges::bytes() const {
    Bytes out;
    for (const Step& s : steps) {
        appendU16(out, static_cast<std::uint16_t>(s.column));
        putText(out, reinterpret_cast<const std::uint8_t*>(s.text.data()), s.text.size());
        appendU16(out, static_cast<std::uint16_t>(s.values.size()));
        for (const auto& [c, v] : s.values) {
            appendU16(out, static_cast<std::uint16_t>(c));
            out.push_back(v.null ? 1 : 0);
            out.push_back(v.bit ? 1 : 0);
            putText(out, v.bytes.data(), v.bytes.size());
        }
    }
    return out;
}

RowChanges RowChanges::from(ByteView bytes) {
    RowChanges out;
    Cursor in(bytes);
    while (!in.done()) {
        Step s;
        s.column = in.u16();
        const ByteView text = in.bytes(in.u32());
        s.text.assign(reinterpret_cast<const char*>(text.data()), text.size());
        for (std::uint16_t n = in.u16(); n > 0; --n) {
            const std::size_t column = in.u16();
            FieldValue v;
            v.null = in.u8() != 0;
            v.bit = in.u8() != 0;
            const ByteView b = in.bytes(in.u32());
            v.bytes.assign(b.data(), b.data() + b.size());
            s.values.emplace_back(column, std::move(v));
        }
        out.steps.push_back(std::move(s));
    }
    return out;
}

} // namespace jet
