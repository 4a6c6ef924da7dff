#include "jet/format/ColumnType.h"

namespace jet {

bool isKnownColumnType(std::uint8_t code) {
    return (code >= 0x01 && code <= 0x0C) || (code >= 0x0F && code <= 0x14);
}

std::string columnTypeName(ColumnType t) {
    switch (t) {
    case ColumnType::Boolean:
        return "Yes/No";
    case ColumnType::Byte:
        return "Byte";
    case ColumnType::Integer:
        return "Integer";
    case ColumnType::Long:
        return "Long";
    case ColumnType::Currency:
        return "Currency";
    case ColumnType::Single:
        return "Single";
    case ColumnType::Double:
        return "Double";
    case ColumnType::DateTime:
        return "Date/Time";
    case ColumnType::Binary:
        return "Binary";
    case ColumnType::Text:
        return "Text";
    case ColumnType::Ole:
        return "OLE";
    case ColumnType::Memo:
        return "Memo";
    case ColumnType::Guid:
        return "Replication ID";
    case ColumnType::Decimal:
        return "Decimal";
    case ColumnType::Unknown11:
        return "Unknown";
    case ColumnType::Complex:
        return "Complex";
    case ColumnType::BigInt:
        return "Large Number";
    case ColumnType::ExtDateTime:
        return "Extended Date/Time";
    }
    return "Unknown type " + std::to_string(static_cast<unsigned>(t));
}

std::size_t fixedSizeOf(ColumnType t) {
    switch (t) {
    case ColumnType::Boolean:
        return 0;
    case ColumnType::Byte:
        return 1;
    case ColumnType::Integer:
        return 2;
    case ColumnType::Long:
        return 4;
    case ColumnType::Currency:
        return 8;
    case ColumnType::Single:
        return 4;
    case ColumnType::Double:
        return 8;
    case ColumnType::DateTime:
        return 8;
    case ColumnType::Guid:
        return 16;
    case ColumnType::Decimal:
        return 17;
    case ColumnType::Complex:
        return 4;
    case ColumnType::BigInt:
        return 8;
    case ColumnType::ExtDateTime:
        return 42;
    default:
        return 0;
    }
}

} // namespace jet
