#include "platform/Platform.h"

#include <sys/resource.h>
#include <unistd.h>

namespace Platform {

void lowerThreadPriority() {
    // On Linux a thread has a nice value of its own; above the interface thread's, so
    // the interface thread is hardly slowed by a worker on the same core.
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 5) != 0)
        return; // the priority is a courtesy: a refusal changes nothing else
}

} // namespace Platform
