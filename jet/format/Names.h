#pragma once
// The rules Access sets for table and column names.

#include <optional>
#include <string>
#include <string_view>

namespace jet {

inline constexpr std::size_t MaxNameLength = 64;

// Why `name` (UTF-8) cannot name a column or table, or nullopt when it can: it is empty, longer
// than 64 characters, begins with a blank, or holds a control character, ".", "!", "`", "[" or "]".
std::optional<std::string> invalidNameReason(std::string_view name);

} // namespace jet
