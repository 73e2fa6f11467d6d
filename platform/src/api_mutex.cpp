// The process-wide recursive API mutex that serialises every call into the rendering library, and the
// calling thread's operating-system id.
#include "platform.h"

#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// A function-local static is constructed exactly once even when two threads arrive at the same moment,
// so the very first acquisition is safe from any thread. It is never destroyed: threads may still call
// into the library while the process exits.
std::recursive_mutex &apiMutex()
{
    static std::recursive_mutex *mutex = new std::recursive_mutex;
    return *mutex;
}

} // namespace

void goAcquireMutex()
{
    apiMutex().lock();
}

void goReleaseMutex()
{
    apiMutex().unlock();
}

unsigned long goGetCurrentThreadID()
{
    return static_cast<unsigned long>(syscall(SYS_gettid));
}
