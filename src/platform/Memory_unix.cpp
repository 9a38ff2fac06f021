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

} // namespace Platform
