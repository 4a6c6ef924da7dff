#pragma once
// The line above page 4's preview, in words: the columns the split makes, with how many records get
// a piece in each, those that exist marked as replaced with the values they hold now; then whatever
// would stop Finish.

#include "split/Plan.h"

#include <QString>

namespace wizard {

QString PlanSummary(const split::Plan& plan);

} // namespace wizard
