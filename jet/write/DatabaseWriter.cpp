#include "jet/write/DatabaseWriter.h"

#include "jet/base/Error.h"
#include "jet/read/Relationships.h"
#include "jet/write/ColumnAdder.h"
#include "jet/write/ColumnDropper.h"
#include "jet/write/StrayCopies.h"

#include <algorithm>
#include <cstdio>

namespace jet {

template <class F> auto DatabaseWriter::guarded(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const WriteFailure&) {
        forgetAll();
        rethrowNamingFile(db_->path());
    } catch (...) {
        rethrowNamingFile(db_->path());
    }
}

template <class F> void DatabaseWriter::changing(Table& t, F&& f) {
    try {
        guarded(f);
    } catch (...) {
        // A failed write has already dropped the batch and every table (t among them).
        if (stopped()) throw;
        // An update that failed halfway leaves pages that must not reach the file: the batch goes,
        // and the rows held with it.
        if (t.updater->halfway()) {
            bool held = false;
            for (const auto& [page, other] : tables_)
                held = held || other.updater->heldRows() != 0;
            if (lasting_ && (pages_->pending() != 0 || held))
                lost_ = "the changes since the last checkpoint were not written, because an update failed "
                        "halfway";
            pages_->discard();
            for (auto& [page, other] : tables_)
                movedBefore_ += other.updater->moves();
            tables_.clear();
            last_ = nullptr;
            healed_.clear(); // what they released went with the batch
            batch_ = lasting_;
        }
        throw;
    }
}

DatabaseWriter::DatabaseWriter(const std::string& path, const OpenOptions& options) {
    lock_ = std::make_unique<FileLock>(path);
    db_ = Database::open(path, options);
    db_->setWrittenHere();
    // Pages are written with the reader's keys: an encrypted file stays encrypted, pages added to it
    // included.
    pages_ = std::make_unique<PageWriter>(db_->pager(), lock_->descriptor(), db_->pageCodec(), path);
}

DatabaseWriter::~DatabaseWriter() {
    // A stopped session has nothing left to write, and its failure was told when it happened.
    if (stopped()) return;
    try {
        commit();
    } catch (const std::exception& e) {
        // No caller is left to tell: say it where a person may read it rather than not at all.
        std::fprintf(stderr, "fendrel: changes not written: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "fendrel: %s: changes not written\n", db_ ? db_->path().c_str() : "");
    }
}

void DatabaseWriter::keepBatching(std::size_t pendingPages, std::size_t heldBytes) {
    lasting_ = true;
    batch_ = true;
    pendingLimit_ = std::max<std::size_t>(1, std::min(pendingPages, MaxPendingPages));
    heldLimit_ = heldBytes;
    for (auto& entry : tables_) {
        Table& t = entry.second;
        changing(t, [&] { t.updater->holdRows(heldLimit_, pendingLimit_); });
    }
}

std::string DatabaseWriter::tableName(const std::string& name) {
    const CatalogEntry* found = db_->findTable(name);
    if (!found) throw Error(db_->path() + ": no table named \"" + name + "\"");
    return found->name;
}

DatabaseWriter::Table& DatabaseWriter::open(const std::string& name) {
    if (last_ && name == lastName_) return *last_;
    auto known = pageOf_.find(name);
    if (known != pageOf_.end()) {
        auto it = tables_.find(known->second);
        if (it != tables_.end()) return remember(name, it->second);
    }
    const std::string exact = tableName(name);
    if (isSystemTable(*db_->findTable(exact)))
        throw Unsupported(db_->path() + ": " + exact + " is a system table, which Fendrel does not change");
    std::shared_ptr<const TableDef> def = db_->table(exact);
    pageOf_[name] = def->page;
    auto it = tables_.find(def->page);
    if (it != tables_.end()) return remember(name, it->second);
    Table& t = tables_[def->page];
    t.def = def;
    t.updater = std::make_unique<RowUpdater>(*pages_, *t.def);
    t.updater->holdRows(heldLimit_, pendingLimit_);
    return remember(name, t);
}

DatabaseWriter::Table& DatabaseWriter::remember(const std::string& name, Table& t) {
    lastName_ = name;
    last_ = &t;
    return t;
}

DatabaseWriter::Table& DatabaseWriter::openForChange(const std::string& name) {
    Table& t = open(name);
    if (!healed_.count(t.def->page)) {
        guarded([&] {
            // The table's pages are read from the file: what the batch holds goes there first.
            pages_->commit();
            strays_ += releaseStrayCopies(*pages_, *t.def);
        });
        healed_.insert(t.def->page);
    }
    return t;
}

std::shared_ptr<const TableDef> DatabaseWriter::table(const std::string& name) {
    return open(name).def;
}

void DatabaseWriter::forget(std::uint32_t tdefPage) {
    auto it = tables_.find(tdefPage);
    if (it == tables_.end()) return;
    movedBefore_ += it->second.updater->moves();
    if (last_ == &it->second) last_ = nullptr;
    tables_.erase(it);
}

void DatabaseWriter::forgetAll() {
    for (const auto& [page, t] : tables_)
        movedBefore_ += t.updater->moves();
    tables_.clear();
    last_ = nullptr;
    pageOf_.clear();
    healed_.clear();
    lost_.clear();
    db_->forgetCached();
}

void DatabaseWriter::checkWritable() const {
    pages_->refuseWhenStopped();
}

std::uint64_t DatabaseWriter::rowsChangedUnread() const {
    std::uint64_t n = 0;
    for (const auto& [page, t] : tables_)
        n += t.updater->unread();
    return n;
}

std::uint64_t DatabaseWriter::rowsMoved() const {
    std::uint64_t n = movedBefore_;
    for (const auto& [page, t] : tables_)
        n += t.updater->moves();
    return n;
}

void DatabaseWriter::scan(const std::string& table, std::size_t column,
                          const std::function<void(RowKey, const Value&)>& visit) {
    // The scan reads the file: what a batch holds so far goes there first (the batch goes on). A
    // stopped session holds nothing and reads what the file holds.
    if (!stopped()) {
        placeHeldRows();
        guarded([&] { pages_->commit(); });
    }
    const std::string exact = tableName(table);
    RowReader reader = db_->rows(exact);
    const TableDef& def = reader.def();
    if (column >= def.columns.size())
        throw Error(db_->path() + ": table " + table + " has no column " + std::to_string(column + 1));
    std::vector<FieldBytes> fields;
    RowId id;
    Value v;
    std::size_t longest = 0;
    while (reader.nextFields(fields, &id)) {
        longest = std::max(longest, reader.rowSize());
        guarded([&] { decodeValue(db_->pager(), def.columns[column], fields[column], db_->codePage(), v); });
        visit(rowKeyOf(id), v);
    }
    // Every row of the table was read: the longest bounds what a row changed unread can grow to.
    if (!stopped() && !isSystemTable(*db_->findTable(exact))) open(exact).updater->knowLongestRow(longest);
}

bool DatabaseWriter::update(const std::string& table, RowKey row,
                            const std::vector<std::pair<std::size_t, Value>>& values, const RowCondition* only) {
    return updateRows(table, std::span<const RowKey>(&row, 1), values, only) == 1;
}

std::size_t DatabaseWriter::updateRows(const std::string& table, std::span<const RowKey> rows,
                                       const std::vector<std::pair<std::size_t, Value>>& values,
                                       const RowCondition* only) {
    Table& t = openForChange(table);
    SetValues set(values);
    std::size_t met = 0;
    for (RowKey row : rows) {
        changing(t, [&] { met += t.updater->update(rowIdOf(row), set, only) ? 1 : 0; });
        if (!batch_ || pages_->pending() >= pendingLimit_) guarded([&] { pages_->commit(); });
    }
    return met;
}

void DatabaseWriter::placeHeldRows() {
    if (stopped()) return;
    for (auto& entry : tables_) {
        Table& t = entry.second;
        if (t.updater->heldRows() != 0) changing(t, [&] { t.updater->placeHeld(); });
    }
}

void DatabaseWriter::addTextColumn(const std::string& table, const std::string& column, unsigned size) {
    commit();
    Table& t = openForChange(table);
    const std::uint32_t page = t.def->page;
    std::vector<RowId> rows;
    if (!hasVariableColumns(*t.def)) {
        checkNewTextColumn(*t.def, column, size);
        scan(table, 0, [&](RowKey k, const Value&) { rows.push_back(rowIdOf(k)); });
    }
    guarded([&] { jet::addTextColumn(*pages_, *t.def, column, size, db_->header().sortOrder, rows); });
    forget(page);
}

void DatabaseWriter::dropColumn(const std::string& table, const std::string& column) {
    commit();
    Table& t = openForChange(table);
    const std::uint32_t page = t.def->page;
    const std::string name = tableName(table);
    guarded([&] {
        const Column& c = findColumn(*t.def, column);
        checkDropColumn(*t.def, c);
        if (auto rel = relationshipUsing(*db_, name, c.name))
            throw Error("column \"" + c.name + "\" is used by the relationship \"" + *rel +
                        "\"; delete the relationship first");
        jet::dropColumn(*pages_, *t.def, c);
    });
    forget(page);
}

void DatabaseWriter::commit() {
    placeHeldRows();
    batch_ = lasting_;
    if (!lost_.empty()) {
        const std::string why = std::move(lost_);
        lost_.clear();
        throw Error(db_->path() + ": " + why);
    }
    guarded([&] { pages_->commit(); });
    if (!lock_->stillAtPath()) {
        const WriteFailure replaced(
            db_->path() +
                ": the file at this path is no longer the one being changed (another file was moved over "
                "it, or it was removed): the changes went to the file that was there before",
            WriteFailure::Kind::Replaced);
        pages_->stop(replaced);
        forgetAll();
        throw replaced;
    }
}

} // namespace jet
