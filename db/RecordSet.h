#pragma once
// ADODB.RecordSet: the rows of a query or of the table schema, walked with EOF and MoveNext, with
// the current row's fields by index or by name. Rows are read as they are needed; RecordCount
// reads them all.

#include "db/Ado.h"
#include "db/RecordRows.h"

#include <memory>
#include <string>

namespace ADODB {

class Connection;

class Field {
public:
    const std::string& Name() const;
    int Type() const;
    // The current row's value; throws when there is no current row.
    const db::Variant& Value() const;

private:
    friend class FieldList;
    Field(std::shared_ptr<db::RecordRows> rows, std::size_t row, std::size_t column)
        : rows_(std::move(rows)), row_(row), column_(column) {}
    std::shared_ptr<db::RecordRows> rows_;
    std::size_t row_, column_;
};

class FieldList {
public:
    int count() const;
    Field operator()(int index) const;               // from 0
    Field operator()(const std::string& name) const; // without regard to case

private:
    friend class RecordSet;
    FieldList(std::shared_ptr<db::RecordRows> rows, std::size_t row) : rows_(std::move(rows)), row_(row) {}
    std::shared_ptr<db::RecordRows> rows_;
    std::size_t row_;
};

class RecordSet {
public:
    // Runs a SELECT on the connection. Throws db::Error.
    void Open(const std::string& source, Connection& activeConnection, int cursorType = adOpenUnspecified,
              int lockType = adLockUnspecified);
    // Adopts rows made elsewhere (the schema rowset).
    void Open(std::unique_ptr<db::RowSource> rows);

    // ADO's EOF (a name the C library keeps for itself).
    bool Eof() const;
    void MoveNext();
    // The exact number of rows.
    long RecordCount();
    FieldList Fields() const;
    // The default member: Fields(name) of the current row.
    Field operator()(const std::string& name) const { return Fields()(name); }
    void Close();
    bool isOpen() const { return rows_ != nullptr; }

    // The rows for a grid to show; they stay valid after the record set is closed.
    std::shared_ptr<db::RecordRows> DataSource() const { return rows_; }

private:
    void requireOpen() const;
    std::shared_ptr<db::RecordRows> rows_;
    std::size_t position_ = 0;
};

} // namespace ADODB
