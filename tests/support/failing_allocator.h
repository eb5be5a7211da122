// Memory that runs out on purpose, on the calling thread only: a program that links
// failing_allocator.cpp has its every allocation go through a counter.
#pragma once

namespace pagorin::test_support {

// After `succeeding` more allocations on this thread, the next `failing` ones throw
// std::bad_alloc; later ones succeed again.
void FailAllocations(long succeeding, long failing);
// Memory never runs out on this thread again.
void StopFailingAllocations();
// The allocations made to fail on this thread so far.
long FailedAllocations();

// Restores memory when it goes out of scope, also when an exception passes.
struct MemoryBack {
    MemoryBack() = default;
    MemoryBack(const MemoryBack&) = delete;
    MemoryBack& operator=(const MemoryBack&) = delete;
    ~MemoryBack() { StopFailingAllocations(); }
};

}  // namespace pagorin::test_support
