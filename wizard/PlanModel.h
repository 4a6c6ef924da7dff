#pragma once
// The rows of page 4's preview grid: the first records of a plan, each with the field's value and
// its pieces under the names of the columns they go to.

#include "split/Plan.h"

#include <QAbstractTableModel>

#include <memory>

namespace wizard {

class PlanModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Shows this plan (none: an empty grid).
    void SetPlan(std::shared_ptr<const split::Plan> plan);
    const split::Plan* CurrentPlan() const { return plan_.get(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::shared_ptr<const split::Plan> plan_;
};

} // namespace wizard
