#pragma once
// Comparing a column's values with a literal, exactly: texts case-sensitively, numbers and dates
// by value in the column's own type (a Single column against the literal 0.1 compares 0.1 as a
// Single). Both sides are reduced to a key; equal keys mean equal values, so a column's values
// can be indexed once and found by a literal's key.

#include "db/Variant.h"
#include "db/sql/Statement.h"

#include <optional>
#include <string>

namespace db {

// How values of an ADO data type compare.
enum class ValueDomain { Text, Integer, Single, Double, Currency, Decimal, Date, Boolean, Guid, Binary };

ValueDomain domainOf(int adoType);

// The key of a stored value; nullopt for Null, which equals nothing.
std::optional<std::string> keyOfValue(ValueDomain domain, const Variant& value);

// The key a value must have to equal the literal; nullopt for a Null literal (equal to nothing).
// Throws db::Error "Data type mismatch in criteria expression." when the kinds cannot compare (a
// text literal against a number column, a number against a text column).
std::optional<std::string> keyOfLiteral(ValueDomain domain, const sql::Literal& literal);

// The value a literal assigns to a column of this type and size. Throws db::Error when it does not
// fit: a type mismatch, or a text longer than the column.
Variant assignedValue(ValueDomain domain, int maxLength, const sql::Literal& literal,
                      const std::string& column);

} // namespace db
