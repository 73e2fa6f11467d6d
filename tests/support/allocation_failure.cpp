// The replacement allocation functions behind FailAllocations. Every form of operator new and delete
// (plain, array, nothrow, sized) is replaced together, so memory from one is never released through a
// form the sanitizer's runtime owns.
#include "allocation_failure.h"

#include <cstdlib>
#include <new>

namespace {

bool failAllocations = false;

void *allocate(std::size_t size)
{
    if (failAllocations)
        return nullptr;
    return std::malloc(size == 0 ? 1 : size);
}

} // namespace

namespace tamarind::test {

void setAllocationsFail(bool fail)
{
    failAllocations = fail;
}

} // namespace tamarind::test

void *operator new(std::size_t size)
{
    if (void *block = allocate(size))
        return block;
    throw std::bad_alloc();
}

void *operator new[](std::size_t size)
{
    if (void *block = allocate(size))
        return block;
    throw std::bad_alloc();
}

void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    return allocate(size);
}

void *operator new[](std::size_t size, const std::nothrow_t &) noexcept
{
    return allocate(size);
}

// The compiler cannot see that the operators above allocate with malloc.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void *block) noexcept
{
    std::free(block);
}

void operator delete[](void *block) noexcept
{
    std::free(block);
}

void operator delete(void *block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete[](void *block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete(void *block, const std::nothrow_t &) noexcept
{
    std::free(block);
}

void operator delete[](void *block, const std::nothrow_t &) noexcept
{
    std::free(block);
}
#pragma GCC diagnostic pop
