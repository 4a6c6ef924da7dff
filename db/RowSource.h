#pragma once
// Where a record set's rows come from: the fields' names and types, and the rows one after the
// other. A record set asks for rows only as its reader needs them.

#include "db/Variant.h"

#include <cstdint>
#include <string>
#include <vector>

namespace db {

struct FieldInfo {
    std::string name;
    int type = 0; // ADO data type code
};

class RowSource {
public:
    virtual ~RowSource() = default;
    virtual const std::vector<FieldInfo>& fields() const = 0;
    // The next row, one value per field; false at the end. Throws db::Error. `row` may hold a row
    // read before, whose room the next one may take: it is made the next row whole.
    virtual bool next(std::vector<Variant>& row) = 0;

    // A source that can come back to a place it passed: a record set over it then holds only some
    // of its rows and reads the others again when they are asked for. One that cannot is held whole.
    using Mark = std::uint64_t;
    virtual bool canSeek() const { return false; }
    // Where the next row is looked for; seek returns there.
    virtual Mark mark() const { return 0; }
    virtual void seek(Mark) {}
    // Passes over the next row without making its values; false at the end.
    virtual bool skip() {
        std::vector<Variant> row;
        return next(row);
    }
};

// Rows held in memory (the schema record set, tests).
class MemoryRows : public RowSource {
public:
    MemoryRows(std::vector<FieldInfo> fields, std::vector<std::vector<Variant>> rows)
        : fields_(std::move(fields)), rows_(std::move(rows)) {}
    const std::vector<FieldInfo>& fields() const override { return fields_; }
    bool next(std::vector<Variant>& row) override {
        if (at_ >= rows_.size()) return false;
        row = std::move(rows_[at_++]);
        return true;
    }

private:
    std::vector<FieldInfo> fields_;
    std::vector<std::vector<Variant>> rows_;
    std::size_t at_ = 0;
};

} // namespace db
