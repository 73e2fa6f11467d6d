// Scoped ownership of the process-wide recursive API mutex that serialises the whole library.
#ifndef TAMARIND_VG_CONTEXT_API_LOCK_H
#define TAMARIND_VG_CONTEXT_API_LOCK_H

#include "platform.h"

namespace tamarind {

class ApiLock {
public:
    ApiLock() { goAcquireMutex(); }
    ~ApiLock() { goReleaseMutex(); }
    ApiLock(const ApiLock &) = delete;
    ApiLock &operator=(const ApiLock &) = delete;
};

} // namespace tamarind

#endif
