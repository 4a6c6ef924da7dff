#pragma once
// Comparing a column's values with a literal, exactly: texts case-sensitively, numbers and dates
// by value in the column's own type (a Single column against the literal 0.1 compares 0.1 as a
// Single). Both sides are reduced to a key; equal keys mean equal values, so a column's values
// can be indexed once and found by a literal's key.

#include "db/TableStore.h"
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

// A text in a text column is its own key: the text itself when keyOfValue / keyOfLiteral would give
// a copy of it, so that a look-up by the million need not copy; null otherwise.
const std::string* ownKey(ValueDomain domain, const Variant& value);
const std::string* ownKey(ValueDomain domain, const sql::Literal& literal);

// The key a value must have to equal the literal, compared in the column's own type; nullopt when
// no value of the column can equal it: a Null literal, a number beyond the type's range or finer
// than it (a fifth decimal for Currency, a fraction for a whole-number column), 1 for Yes/No
// (Yes is -1). Throws db::Error "Data type mismatch in criteria expression." when the kinds cannot
// compare (a text literal against a number column, a number against a text column).
std::optional<std::string> keyOfLiteral(ValueDomain domain, const sql::Literal& literal);

// The value a literal assigns to the column, read from its digits (Currency and Decimal rounded to
// their places half away from zero, never through a double). Throws db::Error when it does not
// fit: "Numeric field overflow." for a number outside the type's range, a type mismatch, or a text
// longer than the column.
Variant assignedValue(const StoreColumn& column, const sql::Literal& literal);

} // namespace db
