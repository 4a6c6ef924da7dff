#pragma once
// A read-only table model over a record set's rows, for the preview grids. Rows are fetched from
// the file as the view scrolls to them, so a table of a million rows shows at once.

#include "db/RecordRows.h"

#include <QAbstractTableModel>
#include <memory>

namespace app {

class RecordSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordSetModel(QObject* parent = nullptr);

    // Binds the model to rows (a record set's DataSource), or to nothing.
    void setDataSource(std::shared_ptr<db::RecordRows> rows);
    std::shared_ptr<db::RecordRows> dataSource() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    static constexpr int BatchSize = 256;

    // How a value shows in a grid cell.
    static QString cellText(const db::Variant& value);

private:
    std::shared_ptr<db::RecordRows> rows_;
    int shown_ = 0;       // rows announced to the view
    bool failed_ = false; // reading stopped on an error; the rows read so far stay
};

} // namespace app
