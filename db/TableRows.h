#pragma once
// A SELECT's rows: chosen columns of one table, read from the file as they are asked for.

#include "db/RowSource.h"
#include "db/Session.h"

#include <memory>
#include <optional>

namespace db {

class TableRows : public RowSource {
public:
    // `columns` empty means every column, in table order. Throws db::Error for an unknown column.
    TableRows(std::shared_ptr<Session> session, const std::string& table,
              const std::vector<std::string>& columns);

    const std::vector<FieldInfo>& fields() const override { return fields_; }
    bool next(std::vector<Variant>& row) override;
    bool canSeek() const override { return true; }
    Mark mark() const override;
    void seek(Mark mark) override;
    bool skip() override;

private:
    std::shared_ptr<Session> session_; // kept open while rows are read
    std::optional<jet::RowReader> reader_;
    std::vector<std::size_t> chosen_; // positions in the table's columns
    std::vector<FieldInfo> fields_;
    std::vector<jet::Value> values_;
    std::vector<jet::FieldBytes> fieldBytes_;
};

} // namespace db
