#pragma once
// An open database as the data layer holds it. A session that may change the file holds the
// engine's writing session, and with it the file's exclusive lock; the connections of one process
// that open the same file for changing share it, so the program's own second look at a table (the
// column test during a split) does not lock itself out. The statement executor, with its value
// indexes, belongs to the session.

#include "db/ConnectionString.h"
#include "db/Executor.h"
#include "db/TableShape.h"
#include "db/TableStore.h"
#include "jet/Jet.h"

#include <memory>
#include <string>

namespace db {

class Session : public TableStore, public std::enable_shared_from_this<Session> {
public:
    // Opens the file the settings name. Throws db::Error: a missing file, a wrong password, a
    // damaged or foreign file, an ACE file through the Jet provider; for changing, also a
    // read-only file, one another program holds.
    static std::shared_ptr<Session> open(const ConnectionSettings& settings, bool forWriting);
    ~Session() override;

    jet::Database& database() { return writer_ ? writer_->database() : *reader_; }
    const std::string& path() const { return path_; }
    bool writable() const { return writer_ != nullptr; }

    std::shared_ptr<const jet::TableDef> table(const std::string& name);
    // The table's columns and the room it has left to change; throws db::Error.
    TableShape shape(const std::string& table);

    // Runs ALTER TABLE and UPDATE statements. An ALTER TABLE is in the file when it returns; UPDATEs
    // gather in memory and reach the file together at checkpoints: every CheckpointStatements
    // statements, at checkpoint(), before the session reads a table, and when the session closes.
    // Between them the rows changed are held and laid into their pages together, within the room
    // of a quarter of the file's size less FixedCostPages (at least MinCheckpointPages, at most
    // CheckpointPages pages: a small file's split, where the program's own memory counts most, does
    // not hold several times its size), and pages wait to be written up to a quarter of it more.
    // A kill loses at most the UPDATEs since the last one, never an earlier value.
    // A write or sync that fails (a full disk, an I/O error), or a file replaced under the session
    // (found at a checkpoint), stops the session: what it held unwritten and every definition it
    // cached are dropped, the failure is thrown once (db::Error::endsChanges()), and every later
    // change or checkpoint is refused saying so. Reads go on, from the file. The file holds every
    // change of the checkpoints before; opened again it takes up from there.
    void execute(const sql::AddColumn& s);
    void execute(const sql::DropColumn& s);
    std::size_t execute(const sql::Update& s);
    // Every change so far written and synced, and the path checked to name the file still; nothing
    // to do for a session that only reads. Throws db::Error when the file could not be written,
    // changes were lost or the file was replaced.
    void checkpoint();
    // The checkpoint before a read of the file; nothing for a stopped session, which has nothing
    // pending and reads what the file holds.
    void checkpointBeforeRead();

    // A checkpoint lays out every held row, each page written however few rows it gained: often, they
    // cost a split a third of its time. This many statements is a few seconds' work to redo.
    static constexpr std::size_t CheckpointStatements = 1000000;
    static constexpr std::size_t CheckpointPages = 16384;
    static constexpr std::size_t MinCheckpointPages = 1024;
    static constexpr std::size_t FixedCostPages = 512;
    static constexpr std::size_t MinPendingPages = 64;
    // The room, in pages, a writing session's batch takes in a file of `filePages` pages.
    static std::size_t checkpointPagesFor(std::size_t filePages);

    // TableStore, over the engine's writing session.
    std::string tableName(const std::string& name) override;
    bool isSystemTable(const std::string& table) override;
    std::vector<StoreColumn> columns(const std::string& table) override;
    void scan(const std::string& table, std::size_t column,
              const std::function<void(RowKey, const Variant&)>& visit) override;
    bool update(const std::string& table, RowKey row, const std::vector<std::pair<std::size_t, Variant>>& values,
                const RowTest* only) override;
    std::size_t updateRows(const std::string& table, std::span<const RowKey> rows,
                           const std::vector<std::pair<std::size_t, Variant>>& values, const RowTest* only) override;
    void addTextColumn(const std::string& table, const std::string& column, int size) override;
    void dropColumn(const std::string& table, const std::string& column) override;

private:
    Session(std::string path, std::unique_ptr<jet::Database> reader,
            std::unique_ptr<jet::DatabaseWriter> writer);
    jet::DatabaseWriter& writer();

    std::string path_;
    std::unique_ptr<jet::Database> reader_;       // a session that only reads
    std::unique_ptr<jet::DatabaseWriter> writer_; // a session that may change the file
    std::size_t sinceCheckpoint_ = 0;             // UPDATE statements not yet in the file
    std::vector<std::pair<std::size_t, jet::Value>> changes_; // a statement's values, kept for their room
    Executor executor_{*this};
};

// The column of a table named without regard to case; null when there is none.
const jet::Column* findColumn(const jet::TableDef& def, const std::string& name);

} // namespace db
