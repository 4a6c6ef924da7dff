#pragma once
// The label of the new columns. A label is written bare in every assignment, so it must be a plain
// name: letters of any script, digits and underscores, not starting with a digit; and a column
// name, label + its number, has at most 64 characters.

#include "jet/Jet.h"

#include <optional>
#include <string>
#include <string_view>

namespace split {

using jet::MaxNameLength;


bool IsPlainName(std::string_view utf8);

// Why the label cannot name the columns label + 1 to label + columns, or nullopt when it can.
// `columns` 0 checks only the characters.
std::optional<std::string> LabelRefusal(const std::string& label, int columns);

} // namespace split
