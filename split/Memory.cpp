#include "split/Memory.h"

// <cstdlib> names the C library (__GLIBC__) before it is tested below.
#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__) && defined(__linux__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace split {

void TakeMemoryInHugePages() {
#if defined(__GLIBC__) && defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::size_t Huge = std::size_t{2} << 20;
    // Blocks glibc would map one by one (from 128 KB) come from the heap: a mapped block is faulted
    // in small page by small page each time it is taken again.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    // The heap's first step reaches 64 MB beyond a first block, which is larger than the room it
    // starts with: a 1,000,000-row name list splits within it. Where the system refuses that much
    // address space, the block is not had and the heap grows as before.
    mallopt(M_TOP_PAD, 64 << 20);
    const auto start = reinterpret_cast<std::uintptr_t>(sbrk(0));
    void* volatile first = std::malloc(std::size_t{1} << 20); // volatile: not optimised away
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t from = (start + Huge - 1) & ~(Huge - 1);
    // Marked before the block is freed, which may give back the heap's last pages. A failure leaves
    // small pages: slower, nothing else.
    if (first && start != static_cast<std::uintptr_t>(-1) && from < end)
        madvise(reinterpret_cast<void*>(from), end - from, MADV_HUGEPAGE);
    std::free(first);
    // The heap keeps up to 128 MB free at its top rather than give its marked step back, and later
    // steps are glibc's own (128 KB beyond the request): no later block asks for 64 MB of address
    // space more than it needs.
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
    mallopt(M_TOP_PAD, 128 << 10);
#endif
}

} // namespace split
