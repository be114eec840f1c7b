// Replaces the global operator new and delete of the test program it is
// linked into (see AllocationHook.h).
#include "tests/support/AllocationHook.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> held{0};
std::atomic<std::size_t> highest{0};

thread_local bool counting = false;
thread_local std::size_t blocks = 0;

void Taken(void* p) {
  const std::size_t size = malloc_usable_size(p);
  const std::size_t now = held.fetch_add(size, std::memory_order_relaxed) + size;
  std::size_t top = highest.load(std::memory_order_relaxed);
  while (now > top && !highest.compare_exchange_weak(top, now, std::memory_order_relaxed)) {
  }
  if (counting) ++blocks;
}

void Given(void* p) {
  if (p) held.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
  std::free(p);
}

void* Allocate(std::size_t size, std::size_t alignment, bool nothrow) {
  if (size == 0) size = 1;
  void* p = nullptr;
  if (alignment <= alignof(std::max_align_t)) {
    p = std::malloc(size);
  } else if (posix_memalign(&p, alignment, size) != 0) {
    p = nullptr;
  }
  if (!p) {
    if (nothrow) return nullptr;
    throw std::bad_alloc();
  }
  Taken(p);
  return p;
}

}  // namespace

namespace testsupport {

std::size_t HeapHeld() { return held.load(std::memory_order_relaxed); }
std::size_t HeapPeak() { return highest.load(std::memory_order_relaxed); }
void ResetHeapPeak() { highest.store(held.load(std::memory_order_relaxed), std::memory_order_relaxed); }

void StartCountingBlocks() {
  blocks = 0;
  counting = true;
}

void StopCountingBlocks() { counting = false; }
std::size_t CountedBlocks() { return blocks; }

void CountBlock() {
  if (counting) ++blocks;
}

}  // namespace testsupport

void* operator new(std::size_t n) { return Allocate(n, 0, false); }
void* operator new[](std::size_t n) { return Allocate(n, 0, false); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n, 0, true); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n, 0, true); }
void* operator new(std::size_t n, std::align_val_t a) { return Allocate(n, static_cast<std::size_t>(a), false); }
void* operator new[](std::size_t n, std::align_val_t a) { return Allocate(n, static_cast<std::size_t>(a), false); }
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
  return Allocate(n, static_cast<std::size_t>(a), true);
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
  return Allocate(n, static_cast<std::size_t>(a), true);
}
void operator delete(void* p) noexcept { Given(p); }
void operator delete[](void* p) noexcept { Given(p); }
void operator delete(void* p, std::size_t) noexcept { Given(p); }
void operator delete[](void* p, std::size_t) noexcept { Given(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Given(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Given(p); }
void operator delete(void* p, std::align_val_t) noexcept { Given(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Given(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { Given(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { Given(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { Given(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { Given(p); }
