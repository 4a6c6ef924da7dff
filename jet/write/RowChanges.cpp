#include "jet/write/RowChanges.h"

#include <algorithm>

#include "jet/base/ByteWriter.h"
#include "jet/base/Error.h"

namespace jet {

namespace {

// Laid out as: per step, the tested column and the text's length (varints) and its bytes, the number
// of values (u16, counted up in place as values join the step); per value, its column, then its
// length, null and bit in one varint (length * 4 + null * 2 + bit), and its bytes. A split's row
// waits with a step and three short values, some fifty bytes: the fewer, the more rows wait.
void putVarint(Bytes& out, std::size_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(v));
}

} // namespace

void RowChanges::add(Bytes& changes, std::size_t column, std::string_view text,
                     const std::vector<std::pair<std::size_t, FieldValue>>& values) {
    // The last step: where its count of values lies, whether it tests the same, whether it sets the
    // column it tests.
    std::size_t countAt = 0;
    bool same = false;
    Reader in(ByteView(changes.data(), changes.size()));
    std::size_t tested = 0;
    ByteView was;
    while (in.nextStep(tested, was)) {
        same = tested == column && was.holds(text);
        countAt = in.at() - 2; // the count: the two bytes before the step's values
        std::size_t set = 0;
        FieldBytes value;
        while (in.nextValue(set, value))
            same = same && set != column;
    }
    if (same) {
        const std::size_t count = std::size_t{changes[countAt]} | std::size_t{changes[countAt + 1]} << 8;
        if (count + values.size() > 0xFFFF) same = false;
        else putU16(changes, countAt, static_cast<std::uint16_t>(count + values.size()));
    }
    if (!same) {
        putVarint(changes, column);
        putVarint(changes, text.size());
        changes.insert(changes.end(), text.begin(), text.end());
        appendU16(changes, static_cast<std::uint16_t>(values.size()));
    }
    for (const auto& [c, v] : values) {
        putVarint(changes, c);
        putVarint(changes, v.bytes.size() * 4 + (v.null ? 2 : 0) + (v.bit ? 1 : 0));
        changes.insert(changes.end(), v.bytes.begin(), v.bytes.end());
    }
}

bool RowChanges::Reader::nextStep(std::size_t& column, ByteView& text) {
    // The values of the step before that were not read are passed by.
    std::size_t set = 0;
    FieldBytes value;
    while (nextValue(set, value))
        continue;
    if (at_ == v_.size()) return false;
    column = varint();
    const std::size_t length = varint();
    text = v_.sub(take(length), length);
    valuesLeft_ = v_.u16(take(2));
    return true;
}

bool RowChanges::Reader::nextValue(std::size_t& column, FieldBytes& value) {
    if (valuesLeft_ == 0) return false;
    --valuesLeft_;
    column = varint();
    const std::size_t form = varint();
    value.null = form & 2;
    value.bit = form & 1;
    value.bytes = v_.sub(take(form >> 2), form >> 2);
    return true;
}

std::size_t RowChanges::Reader::varint() {
    // Most numbers here (columns, short lengths) take one byte.
    if (at_ < v_.size() && v_.data()[at_] < 0x80) return v_.data()[at_++];
    std::size_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        const std::uint8_t b = v_.u8(take(1));
        v |= std::size_t{b & 0x7Fu} << shift;
        if (!(b & 0x80)) return v;
    }
    throw Error("internal error: the changes held for a row are damaged");
}

std::size_t RowChanges::Reader::take(std::size_t n) {
    if (n > v_.size() - at_) throw Error("internal error: the changes held for a row are cut short");
    const std::size_t at = at_;
    at_ += n;
    return at;
}

} // namespace jet
