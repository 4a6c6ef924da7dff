#pragma once
// Page 0 of a new database: engine name and version, code page, sort order, creation date and the
// database password, masked as Access masks them; for an encrypted .accdb, the database key and
// the EncryptionInfo. The inverse of parseHeader.

#include <string>

#include "jet/base/ByteWriter.h"
#include "jet/file/Header.h"

namespace jet {

// The page for `h` (version, codePage, sortOrder, creationDate, password). Throws Error for a
// password Access would not take (more than 20 characters, or any on a format without one).
Bytes encodeHeader(const Header& h);

} // namespace jet
