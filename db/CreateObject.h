#pragma once
// Creating the data access objects by their programmatic names, as the program asks for them:
// "ADODB.Connection" and "ADODB.RecordSet" (names compared without regard to case). The engine is
// part of the program, so creation fails only for a name it does not know, with the platform's
// "can't create object" error; the start-up check asks exactly this question.

#include "db/Connection.h"
#include "db/RecordSet.h"

#include <memory>
#include <string>

namespace db {

inline constexpr long CantCreateObject = 429;

// Throws db::Error (429) for an unknown name.
std::unique_ptr<ADODB::Connection> CreateConnection(const std::string& progId = "ADODB.Connection");
std::unique_ptr<ADODB::RecordSet> CreateRecordSet(const std::string& progId = "ADODB.RecordSet");

} // namespace db
