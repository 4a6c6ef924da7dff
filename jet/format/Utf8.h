#pragma once
// UTF-8, the form every text takes in memory: one code point read or written, and the length of a
// text as Access counts it. The one place these rules live; every layer above uses them.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace jet {

// The code point of the UTF-8 sequence at `at`, moving `at` past it; nullopt, `at` unchanged, when
// the bytes there are not UTF-8: a stray continuation byte, a sequence cut short, an overlong form,
// a surrogate (U+D800 to U+DFFF) or a value past U+10FFFF.
std::optional<char32_t> nextCodePoint(std::string_view utf8, std::size_t& at);

// Characters as Access counts and stores them: UTF-16 code units, so a character past U+FFFF (a
// four-byte sequence) counts two. Counts lead bytes only, so it never fails.
std::size_t utf16Length(std::string_view utf8);

// How many leading bytes of `utf8` are plain ASCII, looked at eight at a time: a multiple of eight,
// short of the first other byte or the text's last few bytes, which the caller counts one by one.
std::size_t asciiWords(std::string_view utf8);

// Appends one code point as UTF-8.
void appendUtf8(std::string& out, char32_t cp);

} // namespace jet
