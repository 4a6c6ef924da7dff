#include "db/JetValues.h"

#include "db/Ado.h"
#include "jet/Jet.h"

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

void assignVariant(Variant& to, const jet::Value& v) {
    if (v.kind == jet::Value::Kind::Text)
        to.setText(v.text);
    else
        to = toVariant(v);
}

jet::Value toJetValue(const Variant& value, const jet::Column& column) {
    using K = jet::Value::Kind;
    using V = jet::Value;
    const auto& s = value.storage();
    if (auto* b = std::get_if<bool>(&s)) return V::ofBoolean(*b);
    if (auto* i = std::get_if<std::int64_t>(&s)) return V::ofInteger(*i);
    if (auto* f = std::get_if<float>(&s)) return V::ofReal(*f, K::Single);
    if (auto* d = std::get_if<double>(&s)) return V::ofReal(*d);
    if (auto* c = std::get_if<Currency>(&s)) return V::ofInteger(c->units, K::Currency);
    if (auto* n = std::get_if<Decimal>(&s)) return V::ofText(n->text, K::Decimal);
    if (auto* t = std::get_if<Date>(&s)) return V::ofReal(t->days, K::DateTime);
    if (auto* text = std::get_if<std::string>(&s))
        return V::ofText(*text, column.type == jet::ColumnType::Guid ? K::Guid : K::Text);
    V v; // Null; bytes below
    if (auto* bytes = std::get_if<Bytes>(&s)) {
        v.kind = K::Binary;
        v.bytes = *bytes;
    }
    return v;
}

int adoTypeOf(const jet::Column& column) {
    using T = jet::ColumnType;
    switch (column.valueType()) {
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
    // A type this engine does not know: its bytes, of a fixed size or not as its column says.
    return column.fixed() ? ADODB::adBinary : ADODB::adLongVarBinary;
}

void rethrowAsDbError() {
    try {
        throw;
    } catch (const jet::BadPassword&) {
        throw Error(ErrorNumber::InvalidPassword, "Not a valid password.");
    } catch (const jet::WriteFailure& e) {
        switch (e.kind()) {
        case jet::WriteFailure::Kind::DiskFull:
            throw Error(ErrorNumber::DiskFull, std::string("Not enough space on disk. ") + e.what());
        case jet::WriteFailure::Kind::Io:
            throw Error(ErrorNumber::DiskError, std::string("Disk or network error. ") + e.what());
        case jet::WriteFailure::Kind::Replaced:
            throw Error(ErrorNumber::FileReplaced, e.what());
        }
        throw Error(ErrorNumber::DiskError, e.what());
    } catch (const jet::Error& e) {
        throw Error(ErrorNumber::Unspecified, e.what());
    } catch (const std::bad_alloc&) {
        throw Error(ErrorNumber::Unspecified, "Not enough memory to complete the operation.");
    }
}

} // namespace db
