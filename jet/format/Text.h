#pragma once
// Text codecs: UCS-2 (Jet4 and later), Jet4 "unicode compression", and the code pages of Jet3
// files. Everything comes out as UTF-8.

#include <cstddef>
#include <cstdint>
#include <string>

#include "jet/format/CodePage.h"
#include "jet/format/Utf8.h"

namespace jet {

// UCS-2LE / UTF-16LE to UTF-8. Surrogate pairs combine; a lone surrogate becomes U+FFFD.
// An odd trailing byte is ignored.
std::string decodeUcs2(const std::uint8_t* data, std::size_t length);
void decodeUcs2(const std::uint8_t* data, std::size_t length, std::string& out);

// A Jet4 text or memo value: compressed when it starts with FF FE (runs of one byte per character,
// a 00 byte switching between one and two bytes per character), plain UCS-2LE otherwise.
std::string decodeJet4Text(const std::uint8_t* data, std::size_t length);
// The same into `out`, whose room is kept for the next value.
void decodeJet4Text(const std::uint8_t* data, std::size_t length, std::string& out);

} // namespace jet
