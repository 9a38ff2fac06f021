#include "platform/Platform.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace Platform {

void releaseFreeMemory() {
#if defined(__GLIBC__)
    // glibc keeps freed blocks of a few megabytes in its heaps (a worker thread's heap especially) and
    // gives them back only when asked.
    malloc_trim(0);
#endif
}

void prepareMemory() {
#if defined(__GLIBC__)
    // A fixed threshold: glibc's own one rises to the largest block freed so far, after which a
    // file's text lands in the heap and a few small blocks around it keep its pages.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
#endif
}

} // namespace Platform
