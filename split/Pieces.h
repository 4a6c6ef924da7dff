#pragma once
// Cutting a value into its pieces at the separator, scanning left to right, case-sensitive. An empty
// value has no pieces; a value without the separator is one piece; two separators in a row, or one
// at either end, give an empty piece there.

#include "split/Separator.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace split {

// Appends the pieces of `value` to `pieces`, as views into `value`.
void CutInto(std::string_view value, const Separator& separator, std::vector<std::string_view>& pieces);

// The pieces of `value`, as copies.
std::vector<std::string> Cut(std::string_view value, const Separator& separator);

// Characters as Access counts them in a text column: UTF-16 code units.
std::size_t TextLength(std::string_view utf8);

} // namespace split
