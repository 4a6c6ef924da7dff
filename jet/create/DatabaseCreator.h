#pragma once
// Creating a database from nothing: page 0, the global usage map on page 1, the system tables
// (MSysObjects on page 2) and the tables asked for, filled with rows. Nothing is copied from
// another file. When finish() returns, the file is complete and on disk; a creator destroyed
// before that removes its file. The indexes Access keeps on the system tables are not built (see
// docs/jet-create.md), and the new tables have none.

#include <memory>
#include <string>
#include <vector>

#include "jet/create/NewFile.h"
#include "jet/create/TableFiller.h"
#include "jet/encode/TableLayout.h"
#include "jet/file/Header.h"

namespace jet {

struct CreateOptions {
    Version version = Version::Jet4; // Jet3 (.mdb, Access 97), Jet4 (.mdb, Access 2002-2003) or Ace12
    // Jet3 and Jet4: the database password stored in the header. Ace12: the file is encrypted with
    // it (agile, AES-256 and SHA-512, as Access 2010 and later encrypt). Empty for none.
    std::string password;
    std::uint32_t spinCount = 100000; // the agile hash rounds; fewer only for tests
    unsigned codePage = 1252;         // Jet3: the code page of its text, with the sort order Windows pairs with it
    double creationDate = 0;         // days since 1899-12-30; 0 means now
};

class DatabaseCreator {
public:
    // Creates the file (an existing file is refused). Throws Error.
    DatabaseCreator(const std::string& path, const CreateOptions& options);
    ~DatabaseCreator();
    DatabaseCreator(const DatabaseCreator&) = delete;
    DatabaseCreator& operator=(const DatabaseCreator&) = delete;

    const Format& format() const { return f_; }

    // Adds a table; rows are appended through the writer returned, which lives as long as the
    // creator. Throws Error naming the table or column at fault.
    TableFiller& addTable(const std::string& name, const std::vector<ColumnSpec>& columns);

    // Writes the catalog, the maps and the header, and makes the file durable.
    void finish();

private:
    const Format& f_;
    Header header_;
    std::unique_ptr<NewFile> file_;
    PageAllocator alloc_;
    std::vector<std::unique_ptr<TableFiller>> system_;
    std::vector<std::unique_ptr<TableFiller>> tables_;
    bool finished_ = false;
};

// Days since 1899-12-30 of the current time (UTC).
double currentDateTime();

} // namespace jet
