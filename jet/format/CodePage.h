#pragma once
// The code pages Jet3 (Access 97) text is stored in: one byte a character in the Windows code pages
// of Western and Eastern Europe, Cyrillic, Greek, Turkish, Hebrew, Arabic, Baltic and Thai, one or
// two in the East Asian ones (932 Japanese, 936 Chinese GBK, 949 Korean, 950 Chinese Big5). 1252,
// 1250, 1251 and 28591 are built in; the others go through the C library's converters.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jet/base/Error.h"

namespace jet {

// A text holds a character its code page has no byte for.
class Unencodable : public Error {
public:
    Unencodable(const std::string& what, char32_t character) : Error(what), character_(character) {}
    char32_t character() const { return character_; }

private:
    char32_t character_;
};

// The code page Windows uses with a Jet3 sort order (the LCID at 0x3A of the header; also in each
// text column's block): 1252 for General and the other Western orders, 1250 for Czech, Hungarian,
// Polish, ..., 936 for Chinese (PRC). 0 for an order this engine does not know.
unsigned codePageOfSortOrder(unsigned sortOrder);

// The sort order a new Jet3 database with text in this code page gets: General (0x0409) for 1252
// and the code pages without an order of their own, else the order of its language.
unsigned sortOrderOfCodePage(unsigned codePage);

// The code page a Jet3 file's text is in: the one the header names, else the one its sort order
// implies, else 1252.
unsigned jet3CodePage(unsigned headerCodePage, unsigned sortOrder);

// "1252 (Western European)", for messages.
std::string codePageName(unsigned codePage);

// Whether text in this code page can be read and written (built in, or a converter exists).
bool codePageKnown(unsigned codePage);

// Text in a code page to UTF-8. 0 and unknown code pages read as 1252; a byte sequence the code
// page does not define becomes U+FFFD.
std::string decodeCodePage(const std::uint8_t* data, std::size_t length, unsigned codePage);

// UTF-8 to a code page. Throws Unencodable naming the first character it has no bytes for (a text
// is never stored with "?" in its place), Unsupported for a code page no converter knows.
std::vector<std::uint8_t> encodeCodePage(const std::string& utf8, unsigned codePage);

} // namespace jet
