#pragma once
// The split from start to end: read the field and the table once (Source), make the plan for the
// separator and label (Plan), tell every refusal, and carry the plan out (Apply). The wizard's
// Finish and fendrel-split both run it, each with an observer of its own.
//
//     split::Inputs in;
//     in.connectionString = Access::BuildConnectionString();
//     in.table = "People";
//     in.fieldReference = "`Address`";
//     in.separator = split::Separator::commaSpace();
//     split::Result r = split::Run(in, observer);
//
// Records are found by their value of the split field, read as text through the data layer.
// Records that share a value get the same pieces from the same statements, so each distinct value's
// statements are sent once; progress still counts records.
//
// Before anything in the file changes, the split refuses what would make it fail half-way (see
// Plan): every refusal is told as a failure of Step::Refusal and the split ends with
// Outcome::Refused. When opening the database or reading the field fails, that one failure is told
// and the split ends (Outcome::Stopped). A failing ALTER TABLE or UPDATE is told and the split goes
// on.

#include "split/Inputs.h"
#include "split/Observer.h"
#include "split/Plan.h"
#include "split/Result.h"

#include <functional>

namespace split {

enum class Mode {
    Split,  // read, plan and apply
    DryRun, // read and plan only: the file is not changed; a file that cannot be changed is read
};

// What a driver does around the changes: asked with the plan once it refuses nothing and before the
// first change (to confirm replacing columns that hold values, to keep a backup), and told when the
// split has ended after changing the file.
struct Safeguards {
    // False ends the split with Outcome::Declined, the file untouched.
    std::function<bool(const Plan&)> beforeChange;
    std::function<void(const Result&)> afterChange;
};

// Runs the split on the database the connection string names, telling `observer`, and returns what
// onEnd was given. A split started while another is in progress (from within one of its yields)
// tells one failure and ends with Outcome::Busy.
Result Run(Inputs inputs, Observer& observer, Mode mode = Mode::Split, const Safeguards& safeguards = {});

// True while a split is in progress.
bool Running();

} // namespace split
