// The replaced operator new and delete behind FailAllocations.
#include "support/failing_allocator.h"

#include <cstdlib>
#include <new>

namespace {
thread_local long succeedingLeft = -1;  // -1: memory never runs out
thread_local long failingLeft = 0;
thread_local long failed = 0;
}  // namespace

void* operator new(std::size_t size) {
    if (succeedingLeft == 0 && failingLeft > 0) {
        ++failed;
        if (--failingLeft == 0) succeedingLeft = -1;
        throw std::bad_alloc();
    }
    if (succeedingLeft > 0) --succeedingLeft;
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
// Kept out of line: inlined, GCC pairs the free with the new it cannot see is ours.
[[gnu::noinline]] void operator delete(void* block) noexcept {
    std::free(block);
}
[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace pagorin::test_support {

void FailAllocations(long succeeding, long failing) {
    succeedingLeft = succeeding;
    failingLeft = failing;
}

void StopFailingAllocations() {
    succeedingLeft = -1;
    failingLeft = 0;
}

long FailedAllocations() {
    return failed;
}

}  // namespace pagorin::test_support
