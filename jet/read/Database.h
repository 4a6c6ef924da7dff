#pragma once
// An open Access database: its header, pager, catalog and tables. Every error that leaves this
// class names the file.

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "jet/file/Header.h"
#include "jet/file/Pager.h"
#include "jet/format/CodePage.h"
#include "jet/read/Catalog.h"
#include "jet/read/TableDef.h"
#include "jet/read/TableScan.h"

namespace jet {

struct OpenOptions {
    std::string password; // UTF-8; empty for none
    std::size_t cachePages = Pager::DefaultCachePages;
};

class Database;

// A scan of one table that owns its definition; errors name the file.
class RowReader {
public:
    const TableDef& def() const { return *def_; }
    bool next(std::vector<Value>& values);
    // The values of the columns at `columns` only (see TableScan).
    bool next(std::vector<Value>& values, std::span<const std::size_t> columns);
    bool nextFields(std::vector<FieldBytes>& fields, RowId* id = nullptr);
    ScanMark mark() const { return scan_->mark(); }
    // The length in bytes of the row read last.
    std::size_t rowSize() const { return scan_->rowSize(); }
    void seek(ScanMark mark);

private:
    friend class Database;
    RowReader(Database& db, std::shared_ptr<const TableDef> def);
    Database& db_;
    std::shared_ptr<const TableDef> def_;
    std::unique_ptr<TableScan> scan_;
};

class Database {
public:
    // Opens the file read-only. Throws BadPassword ("Not a valid password.") when the database has a
    // password and the one given differs (a database without one opens with any; an Office-encrypted
    // one opens only with the password its verifier accepts), Unsupported for encryption of a kind
    // not read, Corrupt for damaged or foreign files (a damaged encryption header among them).
    static std::unique_ptr<Database> open(const std::string& path, const OpenOptions& options = {});
    static std::unique_ptr<Database> open(std::unique_ptr<PageFile> file, const OpenOptions& options = {});

    const std::string& path() const { return path_; }
    const Header& header() const { return header_; }
    const Format& format() const { return pager_->format(); }
    Pager& pager() { return *pager_; }
    // A codec with the keys the pages are read with (null for a plain file), for a writer.
    std::unique_ptr<PageCodec> pageCodec() const;
    unsigned codePage() const { return jet3CodePage(header_.codePage, header_.sortOrder); }

    // Table-like objects in catalog order (read once, on first use).
    const std::vector<CatalogEntry>& catalog();
    // The catalog entry of the local table of that name: the exact name first, else the name
    // without regard to case; null when there is none.
    const CatalogEntry* findTable(const std::string& name);
    // The definition of a local table by name (exact, else ignoring ASCII case); throws Error when
    // there is no such table.
    std::shared_ptr<const TableDef> table(const std::string& name);
    RowReader rows(const std::string& table);

    // Forgets the catalog and the cached pages: a writer's commit failed partway, so what the file
    // holds is read anew.
    void forgetCached();

    // Runs f and gives any engine error that escapes it this file's name.
    template <class F> auto guarded(F&& f) -> decltype(f());
    // This process's writer changes the file through this database: errors are then never put down
    // to another program changing it.
    void setWrittenHere() { writtenHere_ = true; }

private:
    Database(std::string path, Header header, std::unique_ptr<Pager> pager, std::unique_ptr<PageCodec> codec);
    // Gives each calculated column the type of its stored result, from the table's properties.
    void applyResultTypes(TableDef& def, std::int32_t id);
    // What a reader sees as damage while another program writes the file is said to be that.
    [[noreturn]] void rethrowSeeingChanges();

    std::string path_;
    Header header_;
    std::unique_ptr<Pager> pager_;
    std::unique_ptr<PageCodec> codec_;
    std::optional<std::vector<CatalogEntry>> catalog_;
    bool writtenHere_ = false;
};

[[noreturn]] void rethrowNamingFile(const std::string& path);

template <class F> auto Database::guarded(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (...) {
        rethrowSeeingChanges();
    }
}

} // namespace jet
