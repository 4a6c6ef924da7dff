#pragma once
// The text forms of values read back into what is stored: the inverse of formatDateTime,
// formatCurrency, formatDecimal and formatGuid. Each throws Error saying what is wrong.

#include <cstdint>
#include <string>

#include "jet/base/ByteWriter.h"

namespace jet {

// "YYYY-MM-DD HH:MM:SS" (or "YYYY-MM-DD", or with a "T") as days since 1899-12-30.
double parseDateTime(const std::string& text);

// "-12.34" (at most four decimals) as the amount times 10,000.
std::int64_t parseCurrency(const std::string& text);

// "-12.340" as the 17 stored bytes of a Decimal of this precision and scale.
Bytes parseDecimal(const std::string& text, unsigned precision, unsigned scale);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional) as the 16 stored bytes.
Bytes parseGuid(const std::string& text);

} // namespace jet
