#pragma once
// The rows of a record set as read so far, with the rest fetched on demand. A record set and the
// grids bound to it share one of these, so a grid keeps its rows after the record set is closed
// and released.

#include "db/RowSource.h"

#include <memory>

namespace db {

class RecordRows {
public:
    explicit RecordRows(std::unique_ptr<RowSource> source);

    const std::vector<FieldInfo>& fields() const { return fields_; }
    // Makes rows [0, n) available as far as there are any; returns how many are.
    std::size_t fetchUpTo(std::size_t n);
    std::size_t fetched() const { return rows_.size(); }
    bool complete() const { return !source_; }
    // Reads every remaining row; the exact count.
    std::size_t fetchAll();
    const std::vector<Variant>& row(std::size_t i) const { return rows_.at(i); }

private:
    std::vector<FieldInfo> fields_;
    std::unique_ptr<RowSource> source_; // null once exhausted
    std::vector<std::vector<Variant>> rows_;
};

} // namespace db
