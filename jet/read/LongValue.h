#pragma once
// Long values (memo, OLE): a 12-byte field in the row gives the length and where the bytes are:
// inline after the field, in one row of an LVAL page, or in a chain of such rows.

#include <cstdint>
#include <vector>

#include "jet/base/Bytes.h"
#include "jet/file/Pager.h"

namespace jet {

// Reads the whole value the field describes. The declared length is checked against the file's
// size before anything is allocated, and a chain that stops giving bytes is an error, not a loop.
std::vector<std::uint8_t> readLongValue(Pager& pager, ByteView field);

} // namespace jet
