#pragma once
// A value as a message names it: its first characters between double quotes, on one line.

#include <string>
#include <string_view>

namespace split {

std::string Excerpt(std::string_view value);

} // namespace split
