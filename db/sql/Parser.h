#pragma once
// Parses the statements the program sends. What is not SQL gets the provider's syntax error for
// that kind of statement; what is SQL but beyond this engine is refused with a message saying so.

#include "db/sql/Statement.h"

#include <string_view>

namespace db::sql {

// Throws db::Error.
Statement parse(std::string_view text);

// A date literal's inside (between the #), ISO (2020-12-31 13:45:00) or US (12/31/2020 1:45 PM);
// nullopt when it is no date.
std::optional<double> parseDateLiteral(std::string_view inside);

} // namespace db::sql
