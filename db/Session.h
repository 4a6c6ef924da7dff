#pragma once
// An open database as the data layer holds it: the engine's database and the lookups the SQL
// needs (tables and columns found without regard to case, as Access finds them).

#include "db/ConnectionString.h"
#include "jet/Database.h"

#include <memory>
#include <string>

namespace db {

class Session {
public:
    // Opens the file the settings name. Throws db::Error: a missing file, a wrong password, a
    // damaged or foreign file, an ACE file through the Jet provider.
    static std::shared_ptr<Session> open(const ConnectionSettings& settings, bool forWriting);

    jet::Database& database() { return *database_; }
    std::shared_ptr<jet::Database> databaseHandle() { return database_; }
    const std::string& path() const { return path_; }
    bool writable() const { return writable_; }

    // The catalog's own spelling of a local table's name; throws db::Error when there is none.
    std::string tableName(const std::string& name);
    // The definition of that table.
    std::shared_ptr<const jet::TableDef> table(const std::string& name);

private:
    Session(std::string path, std::shared_ptr<jet::Database> database, bool writable)
        : path_(std::move(path)), database_(std::move(database)), writable_(writable) {}
    std::string path_;
    std::shared_ptr<jet::Database> database_;
    bool writable_;
};

// The column of a table named without regard to case; null when there is none.
const jet::Column* findColumn(const jet::TableDef& def, const std::string& name);

} // namespace db
