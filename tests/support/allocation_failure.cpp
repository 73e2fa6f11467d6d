// The replacement operator new behind FailAllocations.
#include "allocation_failure.h"

#include <cstdlib>
#include <new>

namespace {
bool failAllocations = false;
}

namespace tamarind::test {

void setAllocationsFail(bool fail)
{
    failAllocations = fail;
}

} // namespace tamarind::test

void *operator new(std::size_t size)
{
    if (failAllocations)
        throw std::bad_alloc();
    if (void *block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}

// The compiler cannot see that the operator new above allocates with malloc.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void *block) noexcept
{
    std::free(block);
}

void operator delete(void *block, std::size_t) noexcept
{
    std::free(block);
}
#pragma GCC diagnostic pop
