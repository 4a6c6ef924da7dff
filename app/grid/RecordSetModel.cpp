#include "app/grid/RecordSetModel.h"

#include "db/Error.h"
#include "db/ValueText.h"

#include <climits>

namespace app {

RecordSetModel::RecordSetModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordSetModel::setDataSource(std::shared_ptr<db::RecordRows> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    shown_ = 0;
    failed_ = false;
    endResetModel();
}

int RecordSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int RecordSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !rows_ ? 0 : static_cast<int>(rows_->fields().size());
}

QString RecordSetModel::cellText(const db::Variant& value) {
    if (value.is<db::Bytes>())
        return QStringLiteral("(binary data, %1 bytes)").arg(value.get<db::Bytes>().size());
    const auto text = db::valueText(value);
    return text ? QString::fromStdString(*text) : QString();
}

QVariant RecordSetModel::data(const QModelIndex& index, int role) const {
    if (!rows_ || !index.isValid() || index.row() >= shown_ || role != Qt::DisplayRole) return {};
    try {
        // A row let go is read again, and the file may have changed or broken meanwhile.
        const auto& row = rows_->row(static_cast<std::size_t>(index.row()));
        const auto column = static_cast<std::size_t>(index.column());
        return column < row.size() ? QVariant(cellText(row[column])) : QVariant();
    } catch (const std::exception&) {
        return {};
    }
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (!rows_ || section < 0 || section >= columnCount()) return {};
    return QString::fromStdString(rows_->fields()[static_cast<std::size_t>(section)].name);
}

Qt::ItemFlags RecordSetModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool RecordSetModel::canFetchMore(const QModelIndex& parent) const {
    if (parent.isValid() || !rows_ || failed_) return false;
    return static_cast<std::size_t>(shown_) < rows_->fetched() || !rows_->complete();
}

void RecordSetModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    std::size_t available = rows_->fetched();
    try {
        available = rows_->fetchUpTo(static_cast<std::size_t>(shown_) + BatchSize);
    } catch (const std::exception&) {
        // A file that changed or broke under the grid: keep showing what was read.
        failed_ = true;
        available = rows_->fetched();
    }
    const int target = static_cast<int>(std::min<std::size_t>(available, INT_MAX));
    if (target <= shown_) return;
    beginInsertRows({}, shown_, target - 1);
    shown_ = target;
    endInsertRows();
}

} // namespace app
