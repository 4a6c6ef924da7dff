#pragma once
// Runs the statements that change a database: ALTER TABLE ... ADD / DROP and UPDATE. An UPDATE
// with a WHERE finds its rows through an index of the WHERE column's values, built on first use
// and kept while that column is unchanged, so a run of N such statements costs in proportion to
// N plus the table rather than N times the table.

#include "db/TableStore.h"
#include "db/ValueIndex.h"
#include "db/sql/Statement.h"

#include <map>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace db {

class Executor {
public:
    explicit Executor(TableStore& store) : store_(store) {}

    // Throws db::Error. A statement is checked whole before anything is written, so one that is
    // refused changes nothing; a failure of the file itself stops an UPDATE at the row it hit.
    void run(const sql::AddColumn& statement);
    void run(const sql::DropColumn& statement);
    // Returns the number of rows changed.
    std::size_t run(const sql::Update& statement);

    // How many value indexes were built (each one a scan of its column).
    std::size_t indexesBuilt() const { return built_; }

private:
    // What a statement needs of a table it changes, kept by the table's name as statements write
    // it (they name the same table and columns again and again): the catalog's spelling, the
    // columns, and the positions of the column names seen so far. Dropped whenever a column is
    // added or dropped.
    using ColumnIndexes = std::map<std::string, ValueIndex, std::less<>>;
    struct TableShape {
        std::string exact;
        std::vector<StoreColumn> columns;
        std::unordered_map<std::string, std::size_t> positions;
        ColumnIndexes* indexes = nullptr; // the table's in indexes_, once looked up
    };
    // The table a statement may change (a system table is refused).
    TableShape& changeableTable(const std::string& name);
    std::size_t position(TableShape& t, const std::string& column);
    ColumnIndexes& indexesOf(TableShape& t);
    const ValueIndex& indexOf(TableShape& t, std::size_t column);
    // The rows the index may hold `key` in. The statements of a split send each key several times
    // in a row: the last answer is kept.
    ValueIndex::Candidates candidates(const ValueIndex& index, const std::string& key);
    void forget(ColumnIndexes& indexes, const std::string& column);

    TableStore& store_;
    std::unordered_map<std::string, TableShape> shapes_;
    // By table, then column, as the catalog spells them (looked up by every statement, without a
    // copy of either name).
    std::map<std::string, ColumnIndexes, std::less<>> indexes_;
    const ValueIndex* lastIndex_ = nullptr; // what candidates() answered last
    std::string lastKey_;
    ValueIndex::Candidates lastCandidates_;
    std::size_t built_ = 0;
    // An UPDATE's values, kept for their room: the split sends a million statements of one value.
    std::vector<std::pair<std::size_t, Variant>> values_;
};

} // namespace db
