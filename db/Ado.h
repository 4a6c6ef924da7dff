#pragma once
// The ADO constants the program passes and reads.

namespace ADODB {

// Connection.Mode
constexpr int adModeUnknown = 0;
constexpr int adModeRead = 1;
constexpr int adModeReadWrite = 3;

// Connection.CursorLocation
constexpr int adUseServer = 2;
constexpr int adUseClient = 3;

// RecordSet.Open cursor types and lock types
constexpr int adOpenUnspecified = -1;
constexpr int adOpenForwardOnly = 0;
constexpr int adOpenKeyset = 1;
constexpr int adOpenDynamic = 2;
constexpr int adOpenStatic = 3;
constexpr int adLockUnspecified = -1;
constexpr int adLockReadOnly = 1;

// Connection.OpenSchema
constexpr int adSchemaTables = 20;

// Field.Type: the data type codes of the Access column types.
constexpr int adEmpty = 0;
constexpr int adSmallInt = 2;         // Integer
constexpr int adInteger = 3;          // Long
constexpr int adSingle = 4;           // Single
constexpr int adDouble = 5;           // Double
constexpr int adCurrency = 6;         // Currency
constexpr int adDate = 7;             // Date/Time
constexpr int adBoolean = 11;         // Yes/No
constexpr int adUnsignedTinyInt = 17; // Byte
constexpr int adBigInt = 20;          // Large Number
constexpr int adGUID = 72;            // Replication ID
constexpr int adNumeric = 131;        // Decimal
constexpr int adDBTimeStamp = 135;    // Extended Date/Time
constexpr int adBinary = 128;         // fixed-length bytes; a fixed column of an unknown type
constexpr int adVarWChar = 202;       // Text
constexpr int adLongVarWChar = 203;   // Memo
constexpr int adVarBinary = 204;      // bytes of a varying length
constexpr int adLongVarBinary = 205;  // OLE and binary; a variable column of an unknown type

} // namespace ADODB
