// Allocation failure injection for tests: while a FailAllocations guard lives, operator new throws
// std::bad_alloc. Every test binary that links the test support gets the replacement operator new.
#ifndef TAMARIND_TESTS_SUPPORT_ALLOCATION_FAILURE_H
#define TAMARIND_TESTS_SUPPORT_ALLOCATION_FAILURE_H

namespace tamarind::test {

void setAllocationsFail(bool fail);

// Makes every operator new fail for the lifetime of the guard.
struct FailAllocations {
    FailAllocations() { setAllocationsFail(true); }
    ~FailAllocations() { setAllocationsFail(false); }
    FailAllocations(const FailAllocations &) = delete;
    FailAllocations &operator=(const FailAllocations &) = delete;
};

} // namespace tamarind::test

#endif
