#pragma once
// The layer's text form of a value. The split finds records again by this text, so every form
// reads back to the same value whatever the machine's regional settings: numbers in the shortest
// form that reads back exactly, with "." as the decimal mark; dates as "YYYY-MM-DD HH:MM:SS";
// Yes/No as "True" or "False". None of them holds a "," or a ".", except a number's decimal mark.

#include "db/Variant.h"

#include <optional>
#include <string>

namespace db {

// nullopt for Null.
std::optional<std::string> valueText(const Variant& value);

// The shortest text that reads back to the same number.
std::string shortestText(double value);
std::string shortestText(float value);

} // namespace db
