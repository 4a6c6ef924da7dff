#include "db/RecordSet.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "db/TextCase.h"

namespace ADODB {

using db::Error;
namespace ErrorNumber = db::ErrorNumber;

namespace {

Error closedError() {
    return Error(ErrorNumber::ObjectClosed, "Operation is not allowed when the object is closed.");
}

} // namespace

const std::string& Field::Name() const {
    return rows_->fields()[column_].name;
}

int Field::Type() const {
    return rows_->fields()[column_].type;
}

const db::Variant& Field::Value() const {
    if (rows_->fetchUpTo(row_ + 1) <= row_)
        throw Error(ErrorNumber::NoCurrentRecord,
                    "Either BOF or EOF is True, or the current record has been deleted. "
                    "Requested operation requires a current record.");
    return rows_->row(row_)[column_];
}

int FieldList::count() const {
    return static_cast<int>(rows_->fields().size());
}

Field FieldList::operator()(int index) const {
    if (index < 0 || index >= count())
        throw Error(ErrorNumber::ItemNotFound, "Item cannot be found in the collection corresponding to the "
                                               "requested name or ordinal.");
    return Field(rows_, row_, static_cast<std::size_t>(index));
}

Field FieldList::operator()(const std::string& name) const {
    const auto& fields = rows_->fields();
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (db::sameName(fields[i].name, name)) return Field(rows_, row_, i);
    throw Error(ErrorNumber::ItemNotFound,
                "Item cannot be found in the collection corresponding to the requested "
                "name or ordinal.");
}

void RecordSet::Open(const std::string& source, Connection& activeConnection, int /*cursorType*/,
                     int /*lockType*/) {
    // Every cursor reads the same rows here; a static read's RecordCount is exact either way.
    if (rows_) throw Error(ErrorNumber::InvalidArgument, "Operation is not allowed when the object is open.");
    Open(activeConnection.query(source));
}

void RecordSet::Open(std::unique_ptr<db::RowSource> rows) {
    rows_ = std::make_shared<db::RecordRows>(std::move(rows));
    position_ = 0;
}

void RecordSet::requireOpen() const {
    if (!rows_) throw closedError();
}

bool RecordSet::Eof() const {
    requireOpen();
    return rows_->fetchUpTo(position_ + 1) <= position_;
}

void RecordSet::MoveNext() {
    if (Eof())
        throw Error(ErrorNumber::NoCurrentRecord,
                    "Either BOF or EOF is True, or the current record has been deleted. "
                    "Requested operation requires a current record.");
    ++position_;
}

long RecordSet::RecordCount() {
    requireOpen();
    return static_cast<long>(rows_->fetchAll());
}

FieldList RecordSet::Fields() const {
    requireOpen();
    return FieldList(rows_, position_);
}

void RecordSet::Close() {
    requireOpen();
    rows_.reset();
    position_ = 0;
}

} // namespace ADODB
