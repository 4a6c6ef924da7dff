#pragma once
// The line numbers of page 4's Finish handler, as its error box shows them, for each step of the
// split.

#include "split/Observer.h"

namespace wizard {

int FinishLine(split::Step step);

} // namespace wizard
