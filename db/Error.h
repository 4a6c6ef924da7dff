#pragma once
// A failure of the data access layer: a number and a description, worded as the platform's
// database providers word them. The description is what the user sees in the error box.

#include <stdexcept>
#include <string>

namespace db {

// Numbers the providers give to the failures this layer reports.
namespace ErrorNumber {
constexpr long ProviderNotFound = 3706;        // no provider by that name
constexpr long Unspecified = -2147467259;      // E_FAIL: file, format and lock failures
constexpr long SyntaxError = -2147217900;      // DB_E_ERRORSINCOMMAND
constexpr long TypeMismatch = -2147217913;     // DB_E_CANTCONVERTVALUE
constexpr long NoValueGiven = -2147217904;     // DB_E_PARAMNOTOPTIONAL: an unknown column
constexpr long TableNotFound = -2147217865;    // DB_E_NOTABLE
constexpr long InvalidPassword = -2147217843;  // DB_SEC_E_AUTH_FAILED
constexpr long PermissionDenied = -2147217911; // DB_SEC_E_PERMISSIONDENIED: a system table changed
constexpr long NumericOverflow = -2147217833;  // DB_E_DATAOVERFLOW: a number out of its column's range
constexpr long FieldExists = -2147217887;      // DB_E_ERRORSOCCURRED, as for a duplicate column
constexpr long NotSupported = -2147217900;     // a statement this layer does not run
constexpr long ObjectClosed = 3704;            // adErrObjectClosed
constexpr long NoCurrentRecord = 3021;         // adErrNoCurrentRecord (BOF or EOF)
constexpr long ItemNotFound = 3265;            // adErrItemNotFound (no field of that name)
constexpr long InvalidArgument = 3001;         // adErrInvalidArgument
constexpr long DiskFull = 3026;                // "Not enough space on disk."
constexpr long DiskError = 3043;               // "Disk or network error.": a failed write or sync
constexpr long FileReplaced = 3044;            // the path no longer names the file being changed
} // namespace ErrorNumber

class Error : public std::runtime_error {
public:
    Error(long number, const std::string& description) : std::runtime_error(description), number_(number) {}
    long number() const { return number_; }
    std::string description() const { return what(); }
    // True when the session that raised it makes no more changes: the disk is full, a write or
    // sync failed, or the file was replaced. What was checkpointed before is in the file; a run
    // stops here, and the file opened again takes the rest.
    bool endsChanges() const {
        return number_ == ErrorNumber::DiskFull || number_ == ErrorNumber::DiskError ||
               number_ == ErrorNumber::FileReplaced;
    }

private:
    long number_;
};

// The refusal of a change to an object nobody may change (the system tables); `object` as the
// catalog spells it.
inline Error noPermission(const std::string& object) {
    return Error(ErrorNumber::PermissionDenied,
                 "You do not have the necessary permissions to use the '" + object +
                     "' object. Have your system administrator or the person who created this object "
                     "establish the appropriate permissions for you.");
}

} // namespace db
