#pragma once
// How a split ended, with its plan and the table read back after it.

#include "db/RecordRows.h"
#include "split/Observer.h"
#include "split/Plan.h"

#include <cstdint>
#include <memory>

namespace split {

struct Result {
    Outcome outcome = Outcome::Stopped;
    std::int64_t failures = 0;       // failures told, refusals included
    std::int64_t statementsSent = 0; // ALTER TABLE and UPDATE statements executed without failure
    // False when a failure that ends the changes (a write or sync that failed, a full disk) dropped
    // the statements executed since the last checkpoint: the file holds every value it had and the
    // pieces written up to there.
    bool allWritten = true;
    std::shared_ptr<const Plan> plan; // null when the field could not be read
    // The final read of the whole table, for a grid to show; null when it was not made.
    std::shared_ptr<db::RecordRows> table;
};

} // namespace split
