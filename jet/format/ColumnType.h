#pragma once
// Column types: the codes stored in column blocks, their names as Access shows them, and the size
// a fixed column of each type takes in a row.

#include <cstdint>
#include <string>

namespace jet {

enum class ColumnType : std::uint8_t {
    Boolean = 0x01,
    Byte = 0x02,
    Integer = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Single = 0x06,
    Double = 0x07,
    DateTime = 0x08,
    Binary = 0x09,
    Text = 0x0A,
    Ole = 0x0B,
    Memo = 0x0C,
    Guid = 0x0F,
    Decimal = 0x10,
    Unknown11 = 0x11, // 3992-byte blob of some system tables
    Complex = 0x12,
    BigInt = 0x13,
    ExtDateTime = 0x14,
};

// True for the codes this engine knows. A column of another code (a type of a later Access) is
// still read: its values are its bytes, fixed or variable as its column block's flag says, and they
// are kept as they are whenever its rows are rewritten.
bool isKnownColumnType(std::uint8_t code);
inline bool isKnownColumnType(ColumnType t) {
    return isKnownColumnType(static_cast<std::uint8_t>(t));
}

// The type's name as the tools print it ("Long", "Yes/No", "Replication ID", ...); "Unknown type N"
// for a code this engine does not know.
std::string columnTypeName(ColumnType t);

// Bytes a value of this type takes in the fixed area, 0 when it has no fixed size.
std::size_t fixedSizeOf(ColumnType t);

// Memo and OLE: values stored through a 12-byte long-value field.
inline bool isLongValue(ColumnType t) {
    return t == ColumnType::Memo || t == ColumnType::Ole;
}

} // namespace jet
