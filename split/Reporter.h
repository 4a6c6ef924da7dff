#pragma once
// The split's own bookkeeping of failures: a step's work is attempted, and what it throws becomes
// a Failure told to the observer and counted. Inside the split only.

#include "split/Observer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace split {

// Ends the split from anywhere inside it.
struct Stop {
    Outcome outcome;
};

class Reporter {
public:
    explicit Reporter(Observer& observer) : observer_(observer) {}

    // Runs `work`; a failure is told (with `about` filled in) and gives false. A failure after
    // which the database takes no more changes (a full disk, a failed write, the file replaced) is
    // told once and ends the split.
    template <class F> bool attempt(Step step, F&& work, Failure about = {}) {
        return attemptAbout(step, std::forward<F>(work), [&] { return std::move(about); });
    }
    // As attempt, with the failure's `about` made by `makeAbout()` only when the work fails.
    template <class F, class MakeAbout> bool attemptAbout(Step step, F&& work, MakeAbout&& makeAbout) {
        Failure about;
        bool ends = false;
        try {
            std::forward<F>(work)();
            return true;
        } catch (...) {
            about = std::forward<MakeAbout>(makeAbout)();
            about.step = step;
            ends = describeCurrent(about);
        }
        if (ends) endChanges(std::move(about));
        fail(std::move(about));
        return false;
    }
    // A step whose failure ends the split.
    template <class F> void require(Step step, F&& work) {
        if (!attempt(step, std::forward<F>(work))) throw Stop{Outcome::Stopped};
    }

    void fail(Failure failure);
    // Lets the observer run; throws Stop when it asks to stop.
    void yield();

    Observer& observer() { return observer_; }
    // Says how far the split got ("at record 3 of 10"), for the failure that ends the changes.
    void setHowFar(std::function<std::string()> howFar) { howFar_ = std::move(howFar); }
    std::int64_t failures() const { return failures_; }

    // Fills in the error number and description of the exception in flight (inside a catch); true
    // when the database takes no more changes after it.
    static bool describeCurrent(Failure& f);
    // True once a failure ended the changes: nothing more is written, not even a checkpoint.
    bool changesEnded() const { return changesEnded_; }

private:
    [[noreturn]] void endChanges(Failure failure);

    Observer& observer_;
    std::int64_t failures_ = 0;
    bool changesEnded_ = false;
    std::function<std::string()> howFar_;
};

} // namespace split
