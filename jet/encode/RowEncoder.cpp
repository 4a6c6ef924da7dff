#include "jet/encode/RowEncoder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>
#include <string>

#include "jet/base/Error.h"

namespace jet {

std::size_t fixedAreaSize(const TableDef& def) {
    std::size_t end = 0;
    for (const auto& c : def.columns)
        if (c.fixed() && c.type != ColumnType::Boolean)
            end = std::max(end, std::size_t{c.fixedOffset} + c.fixedSize());
    return end;
}

std::size_t varSlotCount(const TableDef& def) {
    std::size_t n = def.varColumns;
    for (const auto& c : def.columns)
        if (!c.fixed()) n = std::max<std::size_t>(n, c.varIndex + 1u);
    return n;
}

std::size_t maxRowSize(const Format& f) {
    return f.jet3 ? MaxJet3RowSize : MaxRowSize;
}

std::size_t rowFrameSize(const Format& f, const TableDef& def) {
    const std::size_t columnCount = std::max<std::size_t>(def.maxColumns, def.columns.size());
    std::size_t size = f.rowCountSize + fixedAreaSize(def) + (columnCount + 7) / 8;
    // Jet 4's offsets take two bytes each, with the end of data and the count; Jet3's one each, and a
    // jump entry for every 256 bytes.
    const std::size_t slots = varSlotCount(def);
    if (slots > 0) size += f.jet3 ? slots + 2 + maxRowSize(f) / 256 + 1 : 2 * (slots + 2);
    return size;
}

std::size_t largestRowSize(const Format& f, const TableDef& def) {
    std::size_t size = rowFrameSize(f, def);
    for (const Column& c : def.columns) {
        if (c.fixed()) continue;
        switch (c.type) {
        case ColumnType::Text:
            size += c.length + (f.jet3 ? 0 : 2); // Jet 4 compressed text starts with a 2-byte mark
            break;
        case ColumnType::Binary:
            size += c.length;
            break;
        default:
            return SIZE_MAX;
        }
    }
    return size;
}

namespace {

// A few values kept on the stack, more on the heap: a row's bookkeeping is small but is made for
// every row written.
template <class T, std::size_t Local> class Scratch {
public:
    Scratch(std::size_t n, T fill) : n_(n) {
        if (n > Local)
            heap_.assign(n, fill);
        else
            std::fill_n(local_.begin(), n, fill);
    }
    T* data() { return n_ > Local ? heap_.data() : local_.data(); }
    const T* data() const { return n_ > Local ? heap_.data() : local_.data(); }
    T& operator[](std::size_t i) { return data()[i]; }
    const T& operator[](std::size_t i) const { return data()[i]; }
    std::size_t size() const { return n_; }

private:
    std::size_t n_;
    std::array<T, Local> local_;
    std::vector<T> heap_;
};

using Starts = Scratch<std::size_t, 64>;

// The Jet3 trailer after the variable data that ends at `end` (the data proper ending at
// `starts[slots]`): the offsets, one byte each, the end of the data first and the first column's
// last; the jump table, one entry for each 256 bytes the row reaches past its first, telling the
// first offset at or past that boundary (the last entry only pads when the trailer itself crosses
// the boundary); the offset count. Readers take the number of jump entries from the row's length,
// so the trailer is laid out for the length it makes.
void appendJet3Trailer(Bytes& row, const Starts& starts, std::size_t maskBytes) {
    const std::size_t slots = starts.size() - 1;
    const std::size_t end = row.size();
    std::size_t jumps = 0;
    while ((end + slots + 1 + jumps + 1 + maskBytes - 1) / 256 > jumps)
        ++jumps;
    const std::size_t real = end / 256 < jumps ? jumps - 1 : jumps;
    for (std::size_t k = slots + 1; k-- > 0;)
        row.push_back(static_cast<std::uint8_t>(starts[k] & 0xFF));
    std::vector<std::uint8_t> table(jumps, 0xFF);
    for (std::size_t j = 0; j < real; ++j) {
        std::size_t first = slots + 1; // no offset reaches the boundary: an entry no offset matches
        for (std::size_t k = 0; k <= slots; ++k)
            if (starts[k] >= 256 * (j + 1)) {
                first = k;
                break;
            }
        table[j] = static_cast<std::uint8_t>(std::min<std::size_t>(first, 0xFF));
    }
    for (std::size_t j = jumps; j-- > 0;)
        row.push_back(table[j]);
    row.push_back(static_cast<std::uint8_t>(slots));
}

} // namespace

Bytes encodeRow(const Format& f, const TableDef& def, const std::vector<FieldValue>& fields,
                std::size_t minSize) {
    Bytes row;
    encodeRow(f, def, fields, row, minSize);
    return row;
}

void encodeRow(const Format& f, const TableDef& def, const std::vector<FieldValue>& fields, Bytes& row,
               std::size_t minSize) {
    if (fields.size() != def.columns.size()) throw Error("internal error: a row needs one value per column");
    const std::size_t columnCount = std::max<std::size_t>(def.maxColumns, def.columns.size());
    if (f.jet3 && columnCount > 0xFF) throw Error("internal error: a Jet3 row counts at most 255 columns");
    const std::size_t countSize = f.rowCountSize;
    for (const auto& c : def.columns) {
        if (c.number >= columnCount)
            throw Error("internal error: column " + c.name + " is numbered beyond the table");
    }
    const std::size_t maskBytes = (columnCount + 7) / 8;
    const std::size_t fixedEnd = countSize + fixedAreaSize(def);
    const std::size_t slots = varSlotCount(def);

    // The row's bytes are reserved at once: the fixed area, every value's bytes, the trailer.
    std::size_t valueBytes = 0;
    for (const FieldValue& v : fields)
        valueBytes += v.bytes.size();
    row.clear();
    row.reserve(std::max(fixedEnd + valueBytes + 2 * (slots + 2) + maskBytes, minSize));
    row.resize(fixedEnd, 0);
    if (countSize == 1)
        row[0] = static_cast<std::uint8_t>(columnCount);
    else
        putU16(row, 0, static_cast<std::uint16_t>(columnCount));
    Scratch<std::uint8_t, 32> mask(maskBytes, 0);
    auto setBit = [&](std::uint16_t n) { mask[n / 8] |= static_cast<std::uint8_t>(1u << (n % 8)); };
    Starts starts(slots + 1, 0);
    Scratch<const FieldValue*, 64> bySlot(slots, nullptr);

    for (std::size_t i = 0; i < def.columns.size(); ++i) {
        const Column& c = def.columns[i];
        const FieldValue& v = fields[i];
        if (c.type == ColumnType::Boolean) {
            if (!v.null && v.bit) setBit(c.number);
            continue;
        }
        if (v.null) continue;
        setBit(c.number);
        if (c.fixed()) {
            if (v.bytes.size() != c.fixedSize())
                throw Error("column " + c.name + ": a value of " + std::to_string(v.bytes.size()) +
                            " bytes where " + std::to_string(c.fixedSize()) + " are stored");
            std::copy(v.bytes.begin(), v.bytes.end(),
                      row.begin() + static_cast<std::ptrdiff_t>(countSize + c.fixedOffset));
        } else {
            bySlot[c.varIndex] = &v;
        }
    }
    if (slots > 0) {
        for (std::size_t k = 0; k < slots; ++k) {
            starts[k] = row.size();
            if (bySlot[k]) row.insert(row.end(), bySlot[k]->bytes.begin(), bySlot[k]->bytes.end());
        }
        starts[slots] = row.size();
    }
    if (f.jet3) {
        // The trailer's length depends on the row's: pad, then lay it out for the length it makes.
        const std::size_t trailer = (slots > 0 ? slots + 2 : 0) + maskBytes;
        if (row.size() + trailer < minSize) row.resize(minSize - trailer, 0);
        if (slots > 0) {
            if (starts[slots] > 0xFFFF) throw Error("row is longer than a page holds");
            appendJet3Trailer(row, starts, maskBytes);
        }
        // Padding was counted without jump entries; a longer row than asked for is fine.
    } else {
        const std::size_t trailer = (slots > 0 ? 2 * (slots + 2) : 0) + maskBytes;
        if (row.size() + trailer < minSize) row.resize(minSize - trailer, 0);
        if (slots > 0) {
            if (row.size() + trailer > 0xFFFF) throw Error("row is longer than a page holds");
            appendU16(row, static_cast<std::uint16_t>(starts[slots]));
            for (std::size_t k = slots; k-- > 0;)
                appendU16(row, static_cast<std::uint16_t>(starts[k]));
            appendU16(row, static_cast<std::uint16_t>(slots));
        }
    }
    row.insert(row.end(), mask.data(), mask.data() + mask.size());
    if (row.size() > maxRowSize(f))
        throw Error("the row takes " + std::to_string(row.size()) + " bytes, more than the " +
                    std::to_string(maxRowSize(f)) + " a row may take");
}

} // namespace jet
