// libFuzzer entry point: any input must read to the end or fail with an engine error; crashes,
// sanitizer reports, hangs and runaway allocations are findings.

#include <cstddef>
#include <cstdint>

#include "../jet/ReadAll.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::readAll(data, size);
    return 0;
}
