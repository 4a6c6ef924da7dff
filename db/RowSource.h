#pragma once
// Where a record set's rows come from: the fields' names and types, and the rows one after the
// other. A record set asks for rows only as its reader needs them.

#include "db/Variant.h"

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
    // The next row, one value per field; false at the end. Throws db::Error.
    virtual bool next(std::vector<Variant>& row) = 0;
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
