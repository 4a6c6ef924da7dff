#pragma once
// A writing session on one database file. It holds the file's exclusive lock for its lifetime and
// changes the file in place: text columns added and dropped, rows updated. Each change is in the
// file when the call returns, written in an order that leaves a readable file with every original
// value at any instant (see PageWriter). Within a batch, updates are gathered in memory and written
// together, in the same order, when the batch is committed (or grows large); a process killed
// during a batch loses the batch's updates, never an earlier value.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "jet/file/FileLock.h"
#include "jet/file/PageWriter.h"
#include "jet/read/Database.h"
#include "jet/write/RowUpdater.h"

namespace jet {

// A row's lasting identity: its page and slot packed into one number.
using RowKey = std::uint64_t;
inline RowKey rowKeyOf(RowId id) {
    return std::uint64_t{id.page} << 8 | id.row;
}
inline RowId rowIdOf(RowKey key) {
    return {static_cast<std::uint32_t>(key >> 8), static_cast<std::uint8_t>(key & 0xFF)};
}

class DatabaseWriter {
public:
    // Opens `path` for changing. Throws Error when the file is read-only, another writer holds it
    // or Access has it open; BadPassword when the password does not match; Unsupported for what the
    // reader cannot open either (an unknown version, an encryption the engine does not know). An
    // encrypted file (Jet page encoding or Office encryption) is written with its own keys and stays
    // encrypted, pages added to it included.
    explicit DatabaseWriter(const std::string& path, const OpenOptions& options = {});
    // Commits what is still pending; an error then can only be printed (to stderr), so callers
    // commit explicitly and learn of it.
    ~DatabaseWriter();
    DatabaseWriter(const DatabaseWriter&) = delete;
    DatabaseWriter& operator=(const DatabaseWriter&) = delete;

    Database& database() { return *db_; }
    const std::string& path() const { return db_->path(); }

    // The catalog's spelling of a table named without regard to case; throws Error when none.
    std::string tableName(const std::string& name);
    std::shared_ptr<const TableDef> table(const std::string& name);

    // Calls visit with every row's key and its value of the column at position `column`. visit may
    // update the rows it is given.
    void scan(const std::string& table, std::size_t column,
              const std::function<void(RowKey, const Value&)>& visit);

    // Sets columns (by position in table(name)->columns) of one row; with `only`, when the row
    // meets it, and says whether it did. See RowUpdater.
    bool update(const std::string& table, RowKey row, const std::vector<std::pair<std::size_t, Value>>& values,
                const RowCondition* only = nullptr);
    // The same for the rows a statement changes, one after another (the values encoded once); how
    // many met `only`. A row that fails stops it there, the rows before it changed.
    std::size_t updateRows(const std::string& table, std::span<const RowKey> rows,
                           const std::vector<std::pair<std::size_t, Value>>& values, const RowCondition* only);
    // Adds a Text column of `size` characters at the end of the table.
    void addTextColumn(const std::string& table, const std::string& column, unsigned size = 255);
    // Drops a column no index or relationship uses.
    void dropColumn(const std::string& table, const std::string& column);

    // Updates from here to commit() are written together.
    void beginBatch() { batch_ = true; }
    // Writes what is pending and ends the batch, then checks that the path still names the file
    // written. Throws Error when updates of a lasting batch were lost since the last commit (see
    // keepBatching), and WriteFailure when a write or sync failed or the file was replaced.
    void commit();
    // After a WriteFailure, from any call: the session has dropped what it had pending, its table
    // definitions and its cached pages, and refuses every later change and commit (WriteFailure).
    // It may still be read; the file holds every change committed before the failure.
    bool stopped() const { return pages_->stopped(); }
    // Throws the WriteFailure that refuses changes once the session has stopped.
    void checkWritable() const;
    // From here on every update waits for commit() (or for `pendingPages` changed pages, when they
    // are written together): one lasting batch across many statements, written at checkpoints.
    // An update that fails halfway then drops what the batch held, and the next commit() says so.
    // The rows updated are held, up to `heldBytes` of their images, and laid into their pages
    // together (see RowUpdater::holdRows): before commit(), a scan, or a change of columns.
    void keepBatching(std::size_t pendingPages, std::size_t heldBytes);

    std::uint64_t rowsMoved() const;
    // Updates that changed a row without reading it, by the tables open now (RowUpdater::unread).
    std::uint64_t rowsChangedUnread() const;
    // Copies of moved rows that no pointer reached, released by this session (see StrayCopies).
    std::uint64_t strayCopiesReleased() const { return strays_; }
    PageWriter& pages() { return *pages_; }

private:
    struct Table {
        std::shared_ptr<const TableDef> def;
        std::unique_ptr<RowUpdater> updater;
    };
    Table& open(const std::string& name);
    Table& remember(const std::string& name, Table& t);
    // The table, its stray copies released once a session before it is first changed.
    Table& openForChange(const std::string& name);
    template <class F> auto guarded(F&& f) -> decltype(f());
    // Runs a change of t's rows; one that fails halfway drops the batch.
    template <class F> void changing(Table& t, F&& f);
    // Every table's held rows laid into their pages.
    void placeHeldRows();
    void forget(std::uint32_t tdefPage);
    // What a failed write leaves: nothing of the session's own view of the file is kept.
    void forgetAll();

    std::unique_ptr<FileLock> lock_;
    std::unique_ptr<Database> db_;
    std::unique_ptr<PageWriter> pages_;
    std::map<std::uint32_t, Table> tables_;       // by definition page
    std::map<std::string, std::uint32_t> pageOf_; // table names as callers give them
    // The table opened last, by the name it was opened by: a run of statements names one table.
    std::string lastName_;
    Table* last_ = nullptr;
    std::set<std::uint32_t> healed_;              // tables whose stray copies went (by definition page)
    bool batch_ = false;
    bool lasting_ = false;
    std::size_t pendingLimit_ = MaxPendingPages;
    std::size_t heldLimit_ = 0;
    std::string lost_; // why the updates of a lasting batch were dropped, until commit() says so
    std::uint64_t movedBefore_ = 0;
    std::uint64_t strays_ = 0;
};

} // namespace jet
