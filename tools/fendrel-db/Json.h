#pragma once
// JSON text for the values of a row: the forms `fendrel-db rows` prints.

#include <string>

#include "jet/read/Value.h"

namespace fendrel_db {

void appendJsonString(std::string& out, const std::string& s);
void appendJsonValue(std::string& out, const jet::Value& v);
std::string base64(const std::vector<std::uint8_t>& bytes);

} // namespace fendrel_db
