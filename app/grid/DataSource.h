#pragma once
// A grid's data source: the rows of a record set bound to a preview grid, or nothing.

#include "db/RecordRows.h"

#include <memory>

class QTableView;

namespace app {

// Binds the grid (made by app::DataGrid) to the rows, or unbinds it with null. The grid shows the
// first rows at once and reads on as it is scrolled.
void SetDataSource(QTableView& grid, std::shared_ptr<db::RecordRows> rows);
std::shared_ptr<db::RecordRows> DataSource(const QTableView& grid);

} // namespace app
