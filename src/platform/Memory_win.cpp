#include "platform/Platform.h"

#include <malloc.h>

namespace Platform {

void releaseFreeMemory() {
    // The C runtime keeps freed blocks in its heap; this hands the unused pages back to the system.
    _heapmin();
}

void prepareMemory() {
    // The C runtime's heap hands large blocks to the system by itself.
}

} // namespace Platform
