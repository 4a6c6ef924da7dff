#pragma once
// A value as a column stores it. Values come in the kinds the reader produces (Value), and also as
// text in the forms the reader prints ("2024-01-31 12:00:00", "12.3400", "{GUID}", "-1.50"), so a
// value read from one database or from a description can be written as it is.

#include "jet/encode/LongValueWriter.h"
#include "jet/encode/RowEncoder.h"
#include "jet/read/TableDef.h"
#include "jet/read/Value.h"

namespace jet {

// Encodes `v` for column `c` of a table in format `f`. Jet3 text goes into the column's code page,
// or `codePage` (the database's) when the column names none. Memo and OLE values are written
// through `longValues` (null for tables without such columns), inline in the row only when
// `inlineAllowed` and short. Throws Error saying why a value does not fit the column (Unencodable
// for a character the code page has no bytes for).
FieldValue encodeField(const Format& f, unsigned codePage, const Column& c, const Value& v,
                       LongValueWriter* longValues, bool inlineAllowed = true);
// The same into `out`, whose buffer serves again.
void encodeField(const Format& f, unsigned codePage, const Column& c, const Value& v,
                 LongValueWriter* longValues, bool inlineAllowed, FieldValue& out);

} // namespace jet
