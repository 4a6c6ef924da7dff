#include "db/CreateObject.h"

#include "db/Error.h"
#include "db/TextCase.h"

namespace db {

namespace {

void require(const std::string& progId, const char* expected) {
    if (asciiLower(progId) != asciiLower(expected))
        throw Error(CantCreateObject, "ActiveX component can't create object");
}

} // namespace

std::unique_ptr<ADODB::Connection> CreateConnection(const std::string& progId) {
    require(progId, "ADODB.Connection");
    return std::make_unique<ADODB::Connection>();
}

std::unique_ptr<ADODB::RecordSet> CreateRecordSet(const std::string& progId) {
    require(progId, "ADODB.RecordSet");
    return std::make_unique<ADODB::RecordSet>();
}

} // namespace db
