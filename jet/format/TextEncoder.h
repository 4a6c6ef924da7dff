#pragma once
// Text as Jet 4 and later store it: UCS-2LE, or "unicode compressed" (FF FE, then one byte a
// character) when every character fits one byte and the compressed form is shorter. Names in
// table definitions are always plain UCS-2LE.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "jet/base/ByteWriter.h"

namespace jet {

// UTF-8 to UTF-16 units; throws Error on bytes that are not UTF-8.
std::u16string utf16FromUtf8(const std::string& utf8);

// Plain UCS-2LE bytes.
Bytes encodeUcs2(const std::u16string& text);

// A text or memo value: compressed when `compressible` (the column allows it) and the text gains
// by it, UCS-2LE otherwise.
Bytes encodeJet4Text(const std::u16string& text, bool compressible);

// The same for text that is plain ASCII (no NUL, nothing from 0x80 up), from its UTF-8 bytes without
// a UTF-16 copy, into `out` (whose buffer serves again); false, `out` untouched, when the text is not
// plain ASCII.
bool encodeJet4Ascii(std::string_view text, bool compressible, Bytes& out);

} // namespace jet
