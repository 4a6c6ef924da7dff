#include "split/Memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace split {

void ReturnLargeBlocksWhenFreed() {
#if defined(__GLIBC__)
    // Set at all, the threshold stays where it is put: here twice where glibc starts it.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}

} // namespace split
