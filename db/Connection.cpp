#include "db/Connection.h"

#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/JetValues.h"
#include "db/Session.h"
#include "db/TableRows.h"
#include "db/sql/Parser.h"

namespace ADODB {

using db::Error;
namespace ErrorNumber = db::ErrorNumber;

Connection::Connection() = default;
Connection::~Connection() = default;

void Connection::Open(const std::string& connectionString) {
    if (session_)
        throw Error(ErrorNumber::InvalidArgument, "Operation is not allowed when the object is open.");
    const db::ConnectionSettings settings = db::parseConnectionString(connectionString);
    session_ = db::Session::open(settings, Mode == adModeReadWrite);
}

db::Session& Connection::session() {
    if (!session_)
        throw Error(ErrorNumber::ObjectClosed, "Operation is not allowed when the object is closed.");
    return *session_;
}

RecordSet Connection::OpenSchema(int schema) {
    db::Session& s = session();
    if (schema != adSchemaTables)
        throw Error(ErrorNumber::InvalidArgument,
                    "Object or provider is not capable of performing requested operation.");
    std::vector<db::FieldInfo> fields = {
        {"TABLE_CATALOG", adVarWChar}, {"TABLE_SCHEMA", adVarWChar}, {"TABLE_NAME", adVarWChar},
        {"TABLE_TYPE", adVarWChar},    {"TABLE_GUID", adGUID},       {"DESCRIPTION", adVarWChar},
        {"TABLE_PROPID", adInteger},   {"DATE_CREATED", adDate},     {"DATE_MODIFIED", adDate}};
    std::vector<std::vector<db::Variant>> rows;
    const auto& catalog = db::translatingErrors(
        [&]() -> const std::vector<jet::CatalogEntry>& { return s.database().catalog(); });
    for (const auto& entry : catalog)
        rows.push_back({db::Variant(), db::Variant(), db::Variant(entry.name), db::Variant(entry.tableType),
                        db::Variant(), db::Variant(), db::Variant(), db::Variant(), db::Variant()});
    RecordSet rs;
    rs.Open(std::make_unique<db::MemoryRows>(std::move(fields), std::move(rows)));
    return rs;
}

db::TableShape Connection::Shape(const std::string& table) {
    return session().shape(table);
}

std::unique_ptr<db::RowSource> Connection::query(const std::string& text) {
    session();
    const db::sql::Statement statement = db::sql::parse(text);
    const auto* select = std::get_if<db::sql::Select>(&statement);
    if (!select)
        throw Error(ErrorNumber::ObjectClosed, "Operation is not allowed when the object is closed.");
    return std::make_unique<db::TableRows>(session_, select->table,
                                           select->allColumns ? std::vector<std::string>{} : select->columns);
}

void Connection::Execute(const std::string& text, long* recordsAffected) {
    db::Session& s = session();
    const db::sql::Statement& statement = shapes_.parse(text);
    if (recordsAffected) *recordsAffected = 0;
    if (std::holds_alternative<db::sql::Select>(statement)) {
        query(text); // checks the table and columns; the rows are not read
        return;
    }
    std::visit(
        [&](const auto& st) {
            using T = std::decay_t<decltype(st)>;
            if constexpr (std::is_same_v<T, db::sql::Update>) {
                const std::size_t changed = s.execute(st);
                if (recordsAffected) *recordsAffected = static_cast<long>(changed);
            } else if constexpr (!std::is_same_v<T, db::sql::Select>) {
                s.execute(st);
            }
        },
        statement);
}

void Connection::Checkpoint() {
    session().checkpoint();
}

void Connection::Close() {
    // Closed even when the last checkpoint fails; the failure is the caller's to hear.
    std::shared_ptr<db::Session> s = std::move(session_);
    if (!s)
        throw Error(ErrorNumber::ObjectClosed, "Operation is not allowed when the object is closed.");
    s->checkpoint();
}

} // namespace ADODB
