#pragma once
// fendrel-split's observer of a split: on a terminal a progress bar with the count, the rate and the
// time left, redrawn in place; otherwise a plain line at every tenth of the way. Failures are
// printed as plain sentences.

#include "split/Run.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>

namespace fendrel_split {

class Console : public split::Observer {
public:
    // `stop` is raised by the interrupt signal; the split then ends after the statement in hand.
    // `field` names the split field in the failures' sentences.
    Console(bool terminal, const std::atomic<bool>& stop, std::string field);

    void onProgress(const split::Progress& p) override;
    void onFailure(const split::Failure& f) override;
    bool onYield() override { return !stop_.load(std::memory_order_relaxed); }
    void onEnd(const split::Result& r) override;

private:
    void clearBar();

    bool terminal_;
    std::string field_;
    const std::atomic<bool>& stop_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point drawn_{};
    bool barShown_ = false;
    int lastTenth_ = 0;
};

// The failure as a sentence on one line: what could not be done, then why.
std::string FailureText(const split::Failure& f, const std::string& field);

// The dry run's report: the columns and what becomes of each, how many records have a piece in each,
// the first records' pieces, the statements that would be sent.
void PrintPlan(std::FILE* out, const split::Plan& plan);

} // namespace fendrel_split
