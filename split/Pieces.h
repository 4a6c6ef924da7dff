#pragma once
// Cutting a value into its pieces: every occurrence of the separator is first replaced by the
// split marker, and the marked text is then cut at every marker. A value that already holds the
// marker is cut there as well.

#include "split/Run.h"

#include <string>
#include <string_view>
#include <vector>

namespace split {

inline constexpr std::string_view SplitMarker = "|myseparatorz4|";

// The value with the chosen separator replaced by the marker (left to right, case-sensitive);
// "" when no option is set.
std::string Mark(std::string_view value, const Separator& separator);

// The marked text cut at every marker: no pieces for "", one for a text without a marker, and an
// empty piece wherever two markers meet or the text ends with one.
std::vector<std::string> Cut(std::string_view marked);

// Characters as Access counts them in a text column: UTF-16 code units.
std::size_t TextLength(std::string_view utf8);

} // namespace split
