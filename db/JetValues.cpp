#include "db/JetValues.h"

#include "db/Ado.h"
#include "jet/Error.h"

#include <new>

namespace db {

Variant toVariant(const jet::Value& v) {
    using K = jet::Value::Kind;
    switch (v.kind) {
    case K::Null:
        return Variant();
    case K::Boolean:
        return Variant(v.boolean);
    case K::Integer:
        return Variant(v.integer);
    case K::Single:
        return Variant(static_cast<float>(v.real));
    case K::Double:
        return Variant(v.real);
    case K::Currency:
        return Variant(Currency{v.integer});
    case K::Decimal:
        return Variant(Decimal{v.text});
    case K::DateTime:
        return Variant(Date{v.real});
    case K::ExtDateTime:
    case K::Text:
    case K::Guid:
        return Variant(v.text);
    case K::Binary:
        return Variant(Bytes(v.bytes));
    case K::ComplexId:
        return Variant(v.integer);
    }
    return Variant();
}

int adoTypeOf(const jet::Column& column) {
    using T = jet::ColumnType;
    switch (column.type) {
    case T::Boolean:
        return ADODB::adBoolean;
    case T::Byte:
        return ADODB::adUnsignedTinyInt;
    case T::Integer:
        return ADODB::adSmallInt;
    case T::Long:
        return ADODB::adInteger;
    case T::BigInt:
        return ADODB::adBigInt;
    case T::Currency:
        return ADODB::adCurrency;
    case T::Single:
        return ADODB::adSingle;
    case T::Double:
        return ADODB::adDouble;
    case T::DateTime:
        return ADODB::adDate;
    case T::ExtDateTime:
        return ADODB::adDBTimeStamp;
    case T::Text:
        return ADODB::adVarWChar;
    case T::Memo:
        return ADODB::adLongVarWChar;
    case T::Guid:
        return ADODB::adGUID;
    case T::Decimal:
        return ADODB::adNumeric;
    case T::Complex:
        return ADODB::adInteger; // the stored id
    case T::Binary:
    case T::Ole:
    case T::Unknown11:
        return ADODB::adLongVarBinary;
    }
    return ADODB::adEmpty;
}

void rethrowAsDbError() {
    try {
        throw;
    } catch (const jet::BadPassword&) {
        throw Error(ErrorNumber::InvalidPassword, "Not a valid password.");
    } catch (const jet::Error& e) {
        throw Error(ErrorNumber::Unspecified, e.what());
    } catch (const std::bad_alloc&) {
        throw Error(ErrorNumber::Unspecified, "Not enough memory to complete the operation.");
    }
}

} // namespace db
