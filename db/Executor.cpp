#include "db/Executor.h"

#include "db/Error.h"
#include "db/Matching.h"
#include "db/TextCase.h"

#include <optional>

namespace db {

namespace {

std::size_t columnIndex(const std::vector<StoreColumn>& columns, const std::string& name,
                        const std::string& table) {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (sameName(columns[i].name, name)) return i;
    throw Error(ErrorNumber::NoValueGiven, "No value given for one or more required parameters: table '" +
                                               table + "' has no field '" + name + "'.");
}

bool hasColumn(const std::vector<StoreColumn>& columns, const std::string& name) {
    for (const auto& c : columns)
        if (sameName(c.name, name)) return true;
    return false;
}

} // namespace

Executor::TableShape& Executor::changeableTable(const std::string& name) {
    if (auto known = shapes_.find(name); known != shapes_.end()) return known->second;
    std::string table = store_.tableName(name);
    if (store_.isSystemTable(table)) throw noPermission(table);
    TableShape shape{table, store_.columns(table), {}};
    return shapes_.emplace(name, std::move(shape)).first->second;
}

std::size_t Executor::position(TableShape& t, const std::string& column) {
    if (auto known = t.positions.find(column); known != t.positions.end()) return known->second;
    const std::size_t i = columnIndex(t.columns, column, t.exact);
    t.positions.emplace(column, i);
    return i;
}

void Executor::run(const sql::AddColumn& s) {
    const std::string table = changeableTable(s.table).exact;
    shapes_.clear();
    if (hasColumn(store_.columns(table), s.column))
        throw Error(ErrorNumber::FieldExists,
                    "Field '" + s.column + "' already exists in table '" + table + "'.");
    store_.addTextColumn(table, s.column, s.size);
}

void Executor::run(const sql::DropColumn& s) {
    const std::string table = changeableTable(s.table).exact;
    shapes_.clear();
    const auto columns = store_.columns(table);
    if (!hasColumn(columns, s.column))
        throw Error(ErrorNumber::Unspecified,
                    "Can't find field '" + s.column + "' in table '" + table + "'.");
    const std::string exact = columns[columnIndex(columns, s.column, table)].name;
    store_.dropColumn(table, exact);
    if (auto ofTable = indexes_.find(table); ofTable != indexes_.end()) forget(ofTable->second, exact);
}

Executor::ColumnIndexes& Executor::indexesOf(TableShape& t) {
    if (!t.indexes) t.indexes = &indexes_[t.exact];
    return *t.indexes;
}

const ValueIndex& Executor::indexOf(TableShape& t, std::size_t column) {
    const std::string& table = t.exact;
    const StoreColumn& info = t.columns[column];
    ColumnIndexes& ofTable = indexesOf(t);
    if (auto found = ofTable.find(info.name); found != ofTable.end()) return found->second;
    ValueIndex index;
    const ValueDomain domain = domainOf(info.adoType);
    store_.scan(table, column, [&](RowKey row, const Variant& value) {
        if (const std::string* own = ownKey(domain, value)) return index.add(*own, row);
        if (auto k = keyOfValue(domain, value)) index.add(*k, row);
    });
    index.finish();
    ++built_;
    return ofTable.emplace(info.name, std::move(index)).first->second;
}

ValueIndex::Candidates Executor::candidates(const ValueIndex& index, const std::string& key) {
    if (lastIndex_ != &index || key != lastKey_) {
        lastCandidates_ = index.candidates(key);
        lastIndex_ = &index;
        lastKey_ = key;
    }
    return lastCandidates_;
}

void Executor::forget(ColumnIndexes& indexes, const std::string& column) {
    if (indexes.empty()) return;
    if (auto found = indexes.find(column); found != indexes.end()) {
        if (lastIndex_ == &found->second) lastIndex_ = nullptr;
        indexes.erase(found);
    }
}

std::size_t Executor::run(const sql::Update& s) {
    TableShape& shape = changeableTable(s.table);
    const std::string& table = shape.exact;
    const std::vector<StoreColumn>& columns = shape.columns;

    // Everything is checked before the first row changes.
    std::vector<std::pair<std::size_t, Variant>>& values = values_;
    values.clear();
    for (const auto& a : s.assignments) {
        const std::size_t i = position(shape, a.column);
        values.emplace_back(i, assignedValue(columns[i], a.value));
    }

    std::span<const RowKey> rows;
    std::vector<RowKey> all;
    std::optional<RowTest> test; // the rows the index gives are tested against the WHERE
    std::optional<std::string> madeKey;
    const std::string* key = nullptr;
    if (s.where) {
        const std::size_t w = position(shape, s.where->column);
        const ValueDomain domain = domainOf(columns[w].adoType);
        key = ownKey(domain, s.where->value);
        if (!key && (madeKey = keyOfLiteral(domain, s.where->value))) key = &*madeKey;
        if (key) {
            const ValueIndex::Candidates candidates = this->candidates(indexOf(shape, w), *key);
            rows = candidates.rows;
            // Rows known to hold the key are still tested where they are read, but need not be read
            // to be counted.
            test = RowTest{w,
                           [domain, &k = *key](const Variant& v) {
                               const auto found = keyOfValue(domain, v);
                               return found && *found == k;
                           },
                           domain == ValueDomain::Text ? key : nullptr, candidates.holdKey};
        }
    } else {
        store_.scan(table, 0, [&](RowKey row, const Variant&) { all.push_back(row); });
        rows = all;
    }

    // The assigned columns' indexes go stale with the first row written, even if a later one fails, so
    // they are forgotten when the statement ends, however it ends; not before, since `rows` may lie in
    // one of them (SET Name = 'x' WHERE Name = 'y' reads its rows from the index of the column it writes).
    struct Forget {
        Executor& self;
        ColumnIndexes& indexes;
        const std::vector<StoreColumn>& columns;
        const std::vector<std::pair<std::size_t, Variant>>& values;
        ~Forget() {
            for (const auto& v : values)
                self.forget(indexes, columns[v.first].name);
        }
    } forgetAfterwards{*this, indexesOf(shape), columns, values};
    if (rows.empty()) return 0;
    return store_.updateRows(table, rows, values, test ? &*test : nullptr);
}

} // namespace db
