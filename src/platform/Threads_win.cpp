#include "platform/Platform.h"

#include <windows.h>

namespace Platform {

void lowerThreadPriority() {
    // The priority is a courtesy: a refusal changes nothing else.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

} // namespace Platform
