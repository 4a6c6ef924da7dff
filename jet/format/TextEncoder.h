#pragma once
// Text as Jet 4 and later store it: UCS-2LE, or "unicode compressed" (FF FE, then one byte a
// character) when every character fits one byte and the compressed form is shorter. Names in
// table definitions are always plain UCS-2LE.

#include <cstddef>
#include <string>

#include "jet/base/ByteWriter.h"

namespace jet {

// UTF-8 to UTF-16 units; throws Error on bytes that are not UTF-8.
std::u16string utf16FromUtf8(const std::string& utf8);

// Plain UCS-2LE bytes.
Bytes encodeUcs2(const std::u16string& text);

// A text or memo value: compressed when `compressible` (the column allows it) and the text gains
// by it, UCS-2LE otherwise.
Bytes encodeJet4Text(const std::u16string& text, bool compressible);

} // namespace jet
