#pragma once
// Page numbers for new pages, and where page contents go. New pages are taken at the end of the
// file, as Access and Jackcess do; the global usage map written at the end records them as used.

#include <cstdint>

#include "jet/base/ByteWriter.h"

namespace jet {

// Somewhere whole pages can be written (a new file, later a journal of changed pages).
class PageSink {
public:
    virtual ~PageSink() = default;
    virtual void writePage(std::uint32_t number, const Bytes& bytes) = 0;
};

class PageAllocator {
public:
    // `pageCount`: pages the file has already (all of them in use).
    explicit PageAllocator(std::uint32_t pageCount, std::uint64_t maxPages)
        : count_(pageCount), max_(maxPages) {}

    // The number of a new page at the end of the file; throws Error when the file would outgrow
    // the format's size limit.
    std::uint32_t allocate();
    std::uint32_t pageCount() const { return count_; }

private:
    std::uint32_t count_;
    std::uint64_t max_;
};

} // namespace jet
