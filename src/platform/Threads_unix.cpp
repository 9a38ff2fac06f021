#include "platform/Platform.h"

#include <sys/resource.h>
#include <unistd.h>

namespace Platform {

void lowerThreadPriority() {
    // On Linux a thread has a nice value of its own; a little above the interface thread's is enough.
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 5) != 0)
        return; // the priority is a courtesy: a refusal changes nothing else
}

} // namespace Platform
