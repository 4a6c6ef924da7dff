#include "jet/write/RowChanges.h"

#include <algorithm>

#include "jet/base/ByteWriter.h"
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
    std::size_t at() const { return at_; }
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

void RowChanges::add(Bytes& changes, std::size_t column, std::string_view text,
                     const std::vector<std::pair<std::size_t, FieldValue>>& values) {
    // The last step: where its count of values lies, whether it tests the same, whether it sets the
    // column it tests.
    std::size_t countAt = 0;
    bool same = false;
    Cursor in(ByteView(changes.data(), changes.size()));
    while (!in.done()) {
        const std::size_t tested = in.u16();
        const ByteView was = in.bytes(in.u32());
        same = tested == column && was.size() == text.size() &&
               std::equal(text.begin(), text.end(), was.data(), [](char a, std::uint8_t b) {
                   return static_cast<std::uint8_t>(a) == b;
               });
        countAt = in.at();
        for (std::uint16_t n = in.u16(); n > 0; --n) {
            const std::size_t set = in.u16();
            same = same && set != column;
            in.u8();
            in.u8();
            in.bytes(in.u32());
        }
    }
    if (same) {
        const std::size_t count = std::size_t{changes[countAt]} | std::size_t{changes[countAt + 1]} << 8;
        if (count + values.size() > 0xFFFF) same = false;
        else putU16(changes, countAt, static_cast<std::uint16_t>(count + values.size()));
    }
    if (!same) {
        appendU16(changes, static_cast<std::uint16_t>(column));
        putText(changes, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        appendU16(changes, static_cast<std::uint16_t>(values.size()));
    }
    for (const auto& [c, v] : values) {
        appendU16(changes, static_cast<std::uint16_t>(c));
        changes.push_back(v.null ? 1 : 0);
        changes.push_back(v.bit ? 1 : 0);
        putText(changes, v.bytes.data(), v.bytes.size());
    }
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
