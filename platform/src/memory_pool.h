// Statistics of the first-fit memory pool, read through goGetDeviceInfo.
#ifndef TAMARIND_PLATFORM_MEMORY_POOL_H
#define TAMARIND_PLATFORM_MEMORY_POOL_H

#include <cstdint>

namespace tamarind::platform {

int32_t poolSize();      // bytes managed; 0 before a pool exists
int32_t poolFreeBytes(); // payload bytes of free blocks; -1 before a pool exists
int32_t poolUsedBytes(); // headers of all blocks plus payloads of used ones; -1 before a pool exists

} // namespace tamarind::platform

#endif
