#include "db/TableRows.h"

#include "db/Error.h"
#include "db/JetValues.h"

namespace db {

TableRows::TableRows(std::shared_ptr<Session> session, const std::string& table,
                     const std::vector<std::string>& columns)
    : session_(std::move(session)) {
    const std::string exact = session_->tableName(table);
    // The rows are read from the file: the session's pending changes go there first.
    session_->checkpointBeforeRead();
    translatingErrors([&] { reader_.emplace(session_->database().rows(exact)); });
    const jet::TableDef& def = reader_->def();
    if (columns.empty()) {
        for (std::size_t i = 0; i < def.columns.size(); ++i)
            chosen_.push_back(i);
    } else {
        for (const auto& name : columns) {
            const jet::Column* c = findColumn(def, name);
            // The engine reads an unknown name in a query as a parameter nobody supplied.
            if (!c)
                throw Error(ErrorNumber::NoValueGiven,
                            "No value given for one or more required parameters: table '" + exact +
                                "' has no field '" + name + "'.");
            chosen_.push_back(static_cast<std::size_t>(c - def.columns.data()));
        }
    }
    for (std::size_t i : chosen_)
        fields_.push_back({def.columns[i].name, adoTypeOf(def.columns[i])});
}

bool TableRows::next(std::vector<Variant>& row) {
    return translatingErrors([&] {
        // Only the columns chosen are decoded: a field's values are read without the row's others.
        if (!reader_->next(values_, chosen_)) return false;
        // A row read before may be given to be read into: its texts' room serves again.
        row.resize(chosen_.size());
        for (std::size_t k = 0; k < chosen_.size(); ++k)
            assignVariant(row[k], values_[k]);
        return true;
    });
}

RowSource::Mark TableRows::mark() const {
    const jet::ScanMark m = reader_->mark();
    return Mark{m.page} << 32 | m.slot;
}

void TableRows::seek(Mark mark) {
    translatingErrors([&] {
        reader_->seek({static_cast<std::uint32_t>(mark >> 32), static_cast<unsigned>(mark & 0xffffffffu)});
    });
}

bool TableRows::skip() {
    return translatingErrors([&] { return reader_->nextFields(fieldBytes_); });
}

} // namespace db
