#include "db/RecordRows.h"

namespace db {

RecordRows::RecordRows(std::unique_ptr<RowSource> source)
    : fields_(source->fields()), source_(std::move(source)) {}

std::size_t RecordRows::fetchUpTo(std::size_t n) {
    while (source_ && rows_.size() < n) {
        std::vector<Variant> row;
        // Release the source (and the file it reads) as soon as it is exhausted or fails.
        bool more = false;
        try {
            more = source_->next(row);
        } catch (...) {
            source_.reset();
            throw;
        }
        if (!more) {
            source_.reset();
            break;
        }
        rows_.push_back(std::move(row));
    }
    return std::min(n, rows_.size());
}

std::size_t RecordRows::fetchAll() {
    while (source_)
        fetchUpTo(rows_.size() + 1024);
    return rows_.size();
}

} // namespace db
