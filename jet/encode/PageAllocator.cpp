#include "jet/encode/PageAllocator.h"

#include <string>

#include "jet/base/Error.h"

namespace jet {

std::uint32_t PageAllocator::allocate() {
    if (std::uint64_t{count_} + 1 > max_)
        throw Error("the database would grow beyond the largest size its format allows (" +
                    std::to_string(max_) + " pages)");
    return count_++;
}

} // namespace jet
