#pragma once
// fendrel-split's observer of a run: on a terminal a progress bar with the count, the rate and the
// time left, redrawn in place; otherwise a plain line at every tenth of the way. Failures are
// printed as the wizard's error box words them, with the Finish handler's line number.

#include "split/Run.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>

namespace fendrel_split {

class Console : public split::Observer {
public:
    // `stop` is raised by the interrupt signal; the run then ends after the statement in hand.
    Console(bool terminal, const std::atomic<bool>& stop);

    void onProgress(const split::Progress& p) override;
    void onFailure(const split::Failure& f) override;
    bool onYield() override { return !stop_.load(std::memory_order_relaxed); }
    void onEnd(const split::Result& r) override;

private:
    void clearBar();

    bool terminal_;
    const std::atomic<bool>& stop_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point drawn_{};
    bool barShown_ = false;
    int lastTenth_ = 0;
};

// The failure as the error box shows it, on one line.
std::string FailureText(const split::Failure& f);

// The dry run's report: the columns, how many records have a piece in each, the first records'
// pieces, the statements that would be sent.
void PrintPreview(std::FILE* out, const split::Preview& p);

} // namespace fendrel_split
