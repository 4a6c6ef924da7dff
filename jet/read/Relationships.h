#pragma once
// The relationships between tables that Access keeps in MSysRelationships: one row per column pair.

#include <optional>
#include <string>

#include "jet/read/Database.h"

namespace jet {

// The name of a relationship that uses column `column` of table `table` (on either side), or
// nothing. Names are compared without regard to case.
std::optional<std::string> relationshipUsing(Database& db, const std::string& table,
                                             const std::string& column);

} // namespace jet
