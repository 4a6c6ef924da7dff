#pragma once
// Rewriting one row of a data page: the page's rows are packed again from the end of the page in
// slot order, as Access packs them, so the room that rows gave up is gathered into one free area.
// Every row keeps its slot number and flags; only offsets change, all within the one page.

#include <cstdint>

#include "jet/base/ByteWriter.h"
#include "jet/base/Bytes.h"
#include "jet/format/Format.h"

namespace jet {

// Puts `row` with `flags` into slot `slot` of `page` (slot == the page's row count adds a row).
// Returns false, leaving the page as it was, when the rows would not fit or the page holds the
// most rows a page may.
bool rewriteDataPageRow(const Format& f, Bytes& page, unsigned slot, ByteView row, std::uint16_t flags);

// Bytes free between the row offset table and the rows.
std::size_t dataPageFreeSpace(const Format& f, ByteView page);

// Whether a row of `size` bytes could be added to the page (its bytes and its offset-table entry).
bool dataPageTakes(const Format& f, ByteView page, std::size_t size);

} // namespace jet
