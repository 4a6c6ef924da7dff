#pragma once
// What the statement executor needs of a database it changes: its tables' columns, a column's
// values with the rows they stand in, and the three changes the program makes. The engine's
// writing session provides it; tests may provide their own.

#include "db/Variant.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace db {

// A row's lasting identity (its page and slot): it does not change when the row is rewritten.
using RowKey = std::uint64_t;

struct StoreColumn {
    std::string name;
    int adoType = 0;    // ADO data type code
    int maxLength = 0;  // Text: the most characters it holds
    int precision = 18; // Decimal: digits in all
    int scale = 0;      // Decimal: digits after the point
};

// What a row must hold for a statement to change it: its value of one column (by position) passes
// `holds`. The executor finds a statement's rows by hashes of their values and has each row tested
// where it is changed, since the row is read there anyway.
struct RowTest {
    std::size_t column = 0;
    std::function<bool(const Variant&)> holds;
    // When set, a text value passes exactly when it is this text (a Null never does): a store may
    // compare it so instead of calling `holds`, which says the same.
    const std::string* text = nullptr;
    // The rows are known to pass (they share the key of one that did): a store may count them as
    // passing before it reads them, as long as it tests each when it does and leaves one that fails
    // as it was.
    bool known = false;
};

class TableStore {
public:
    virtual ~TableStore() = default;

    // The catalog's own spelling of a table named without regard to case; throws db::Error.
    virtual std::string tableName(const std::string& name) = 0;
    // True for a table of the engine or of Access itself (see jet::isSystemTable), which no
    // statement may change.
    virtual bool isSystemTable(const std::string& table) = 0;
    virtual std::vector<StoreColumn> columns(const std::string& table) = 0;
    // Calls visit for every row with that row's value of the column.
    virtual void scan(const std::string& table, std::size_t column,
                      const std::function<void(RowKey, const Variant&)>& visit) = 0;
    // Sets columns (by position) of one row when it passes `only` (unless null), and says whether
    // it did; in the file when it returns.
    virtual bool update(const std::string& table, RowKey row,
                        const std::vector<std::pair<std::size_t, Variant>>& values, const RowTest* only) = 0;
    // The same values in those of several rows (one statement's) that pass `only`; returns how many
    // did. A store may write them together.
    virtual std::size_t updateRows(const std::string& table, std::span<const RowKey> rows,
                                   const std::vector<std::pair<std::size_t, Variant>>& values,
                                   const RowTest* only) {
        std::size_t n = 0;
        for (RowKey row : rows)
            n += update(table, row, values, only) ? 1 : 0;
        return n;
    }
    virtual void addTextColumn(const std::string& table, const std::string& column, int size) = 0;
    virtual void dropColumn(const std::string& table, const std::string& column) = 0;
};

} // namespace db
