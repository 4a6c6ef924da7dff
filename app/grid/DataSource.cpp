#include "app/grid/DataSource.h"

#include "app/errors/Failure.h"
#include "app/grid/RecordSetModel.h"

#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace app {

namespace {

RecordSetModel& modelOf(const QTableView& grid) {
    auto* model = qobject_cast<RecordSetModel*>(grid.model());
    if (!model) throw Failure(QStringLiteral("The grid has no data source to bind."));
    return *model;
}

constexpr int WidestColumn = 240; // pixels; a wider column is cut, its text shows when scrolled to

} // namespace

void SetDataSource(QTableView& grid, std::shared_ptr<db::RecordRows> rows) {
    RecordSetModel& model = modelOf(grid);
    model.setDataSource(std::move(rows));
    if (!model.dataSource()) return;
    // The first rows, enough to fill the grid; the rest come as it is scrolled.
    if (model.canFetchMore({})) model.fetchMore({});
    grid.resizeColumnsToContents();
    for (int c = 0; c < model.columnCount(); ++c)
        grid.setColumnWidth(c, std::min(grid.columnWidth(c), WidestColumn));
}

std::shared_ptr<db::RecordRows> DataSource(const QTableView& grid) {
    return modelOf(grid).dataSource();
}

} // namespace app
