#pragma once
// Names compared as Access compares them: without regard to case (letters of the Latin, Greek and
// Cyrillic alphabets). The one place every layer compares table and column names.

#include <string>

namespace jet {

bool sameNameIgnoringCase(const std::string& a, const std::string& b);

} // namespace jet
