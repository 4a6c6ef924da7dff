#pragma once
// Comparing names without regard to case, as Access compares table and column names.

#include <string>
#include <string_view>

namespace db {

std::string asciiLower(std::string_view s);

// Case-insensitive equality of two UTF-8 names, as the engine compares them (jet/format/NameMatch.h).
bool sameName(std::string_view a, std::string_view b);

} // namespace db
