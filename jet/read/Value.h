#pragma once
// Values read from rows, one per column type, and their canonical text forms (the forms the
// inspection tool prints and the data layer builds on).

#include <cstdint>
#include <string>
#include <vector>

#include "jet/base/Bytes.h"
#include "jet/file/Pager.h"
#include "jet/read/RowLayout.h"
#include "jet/read/TableDef.h"

namespace jet {

struct Value {
    enum class Kind : std::uint8_t {
        Null,
        Boolean,     // boolean
        Integer,     // integer: Byte, Integer, Long, Large Number
        Single,      // real (a float's value)
        Double,      // real
        Currency,    // integer: the amount times 10,000
        Decimal,     // text: digits with the column's scale, e.g. "-12.340"
        DateTime,    // real: days since 1899-12-30, the fraction the time of day
        ExtDateTime, // text: the stored text
        Text,        // text: UTF-8 (Text, Memo)
        Binary,      // bytes: OLE, Binary
        Guid,        // text: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
        ComplexId,   // integer: the id that links the row to its complex values
    };
    Kind kind = Kind::Null;
    bool boolean = false;
    std::int64_t integer = 0;
    double real = 0;
    std::string text;
    std::vector<std::uint8_t> bytes;

    bool isNull() const { return kind == Kind::Null; }

    // Values of one kind, built in one call.
    static Value ofBoolean(bool b) {
        Value v;
        v.kind = Kind::Boolean;
        v.boolean = b;
        return v;
    }
    static Value ofInteger(std::int64_t n, Kind k = Kind::Integer) {
        Value v;
        v.kind = k;
        v.integer = n;
        return v;
    }
    static Value ofReal(double d, Kind k = Kind::Double) {
        Value v;
        v.kind = k;
        v.real = d;
        return v;
    }
    static Value ofText(std::string s, Kind k = Kind::Text) {
        Value v;
        v.kind = k;
        v.text = std::move(s);
        return v;
    }
};

// Decodes one field. `dbCodePage` is the database's code page (Jet3 text).
void decodeValue(Pager& pager, const Column& column, const FieldBytes& field, unsigned dbCodePage,
                 Value& out);

// "YYYY-MM-DD HH:MM:SS", rounded to the nearest second.
std::string formatDateTime(double days);
// Currency amount times 10,000 as text with four decimals: "-12.3400".
std::string formatCurrency(std::int64_t scaled);
// The 16 stored bytes of a Replication ID as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::string formatGuid(ByteView bytes);
// The 17 stored bytes of a Decimal (sign byte, 128-bit magnitude) as text with `scale` decimals.
std::string formatDecimal(ByteView bytes, unsigned scale);

} // namespace jet
