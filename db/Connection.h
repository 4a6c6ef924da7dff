#pragma once
// ADODB.Connection: opens an Access database by a connection string, lists its tables, and runs
// the program's statements. Mode 3 (read and write) is the mode for changing the file.

#include "db/Ado.h"
#include "db/RecordSet.h"
#include "db/RowSource.h"
#include "db/TableShape.h"
#include "db/sql/Shapes.h"

#include <memory>
#include <string>

namespace db {
class Session;
}

namespace ADODB {

class Connection {
public:
    int Mode = adModeUnknown;
    int CursorLocation = adUseServer;

    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Throws db::Error: a malformed string, an unknown provider, a missing, damaged or foreign
    // file, a wrong password.
    void Open(const std::string& connectionString);
    // adSchemaTables (20): one row per table-like object, TABLE_NAME and TABLE_TYPE among the
    // fields, in catalog order.
    RecordSet OpenSchema(int schema);
    // Runs one statement; takes effect before it returns (this connection's reads see it).
    // `recordsAffected`, when given, receives the number of rows an UPDATE changed (0 for other
    // statements). UPDATEs reach the file at checkpoints (see db::Session), not one by one.
    void Execute(const std::string& text, long* recordsAffected = nullptr);
    // Makes every statement executed so far durable in the file: written and synced; then checks
    // that the path still names the file written. Throws db::Error when the file cannot be written
    // or was replaced (endsChanges(): the session is stopped, see db::Session). A run that changes
    // many rows calls it before its final report.
    void Checkpoint();
    // Fendrel's own: the table's columns and the room it has left to change (column numbers, row
    // length, the file's size). Throws db::Error for a missing table.
    db::TableShape Shape(const std::string& table);
    // Checkpoints and closes; the connection is closed even when the checkpoint throws.
    void Close();
    bool isOpen() const { return session_ != nullptr; }

    // A SELECT's rows, for RecordSet::Open.
    std::unique_ptr<db::RowSource> query(const std::string& text);

private:
    db::Session& session();
    std::shared_ptr<db::Session> session_;
    db::sql::Shapes shapes_; // the statements Execute has parsed, by shape
};

} // namespace ADODB
