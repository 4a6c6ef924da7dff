#include "split/Run.h"

#include "db/Error.h"
#include "split/Apply.h"
#include "split/Label.h"
#include "split/Reporter.h"
#include "split/Source.h"

namespace split {

namespace {

bool running = false;
bool changing = false; // the split went past its safeguards and may have changed the file

Failure refusalFailure(const std::string& text) {
    Failure f;
    f.step = Step::Refusal;
    f.number = db::ErrorNumber::Unspecified;
    f.description = text;
    return f;
}

void runSteps(const Inputs& in, Reporter& reporter, Mode mode, const Safeguards& safeguards, Result& result) {
    // The label's characters first: a bad label is told before the read, however long it is.
    const bool labelTold = LabelRefusal(in.label, 0).has_value();
    if (labelTold) reporter.fail(refusalFailure(*LabelRefusal(in.label, 0)));
    ADODB::Connection connection;
    const auto source = Read(in, reporter, mode == Mode::DryRun ? Opening::ForChangingOrLooking : Opening::ForChanging,
                             connection);
    auto plan = std::make_shared<Plan>(
        MakePlan(source, in.separator, in.label, PlannedFirstRecords, [&] { reporter.yield(); }));
    result.plan = plan;
    for (const Refusal& r : plan->refusals)
        if (!(labelTold && r.kind == Refusal::Kind::LabelCharacters)) reporter.fail(refusalFailure(r.text));
    if (plan->refused()) throw Stop{Outcome::Refused};
    if (mode == Mode::Split) {
        if (safeguards.beforeChange && !safeguards.beforeChange(*plan)) throw Stop{Outcome::Declined};
        changing = true;
        Apply(*plan, reporter, result, connection);
    }
    result.outcome = Outcome::Completed;
}

} // namespace

bool Running() {
    return running;
}

Result Run(Inputs inputs, Observer& observer, Mode mode, const Safeguards& safeguards) {
    Result result;
    if (running) {
        result.outcome = Outcome::Busy;
        result.failures = 1;
        Failure f;
        f.step = Step::AlreadyRunning;
        f.number = db::ErrorNumber::Unspecified;
        f.description = "A split is already running. Please wait until it has finished.";
        observer.onFailure(f);
        observer.onEnd(result);
        return result;
    }
    running = true;
    struct Done {
        ~Done() { running = false; }
    } done;
    Reporter reporter(observer);
    changing = false;
    try {
        runSteps(inputs, reporter, mode, safeguards, result);
    } catch (const Stop& stop) {
        result.outcome = stop.outcome;
    }
    result.failures = reporter.failures();
    result.allWritten = !reporter.changesEnded();
    if (changing && safeguards.afterChange) safeguards.afterChange(result);
    observer.onEnd(result);
    return result;
}

} // namespace split
