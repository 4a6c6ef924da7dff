#include "wizard/PlanModel.h"

namespace wizard {

void PlanModel::SetPlan(std::shared_ptr<const split::Plan> plan) {
    beginResetModel();
    plan_ = std::move(plan);
    endResetModel();
}

int PlanModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !plan_ ? 0 : static_cast<int>(plan_->firstRecords.size());
}

// The field, then one column for each column the split makes.
int PlanModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !plan_ ? 0 : 1 + static_cast<int>(plan_->columns.size());
}

QVariant PlanModel::data(const QModelIndex& index, int role) const {
    if (!plan_ || !index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    const split::PlannedRecord& record = plan_->firstRecords[static_cast<std::size_t>(index.row())];
    if (index.column() == 0) return QString::fromStdString(record.value);
    const auto piece = static_cast<std::size_t>(index.column() - 1);
    return piece < record.pieces.size() ? QString::fromStdString(record.pieces[piece]) : QVariant();
}

QVariant PlanModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || !plan_) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section == 0) return QString::fromStdString(plan_->source->field);
    return QString::fromStdString(plan_->columns[static_cast<std::size_t>(section - 1)].name);
}

} // namespace wizard
