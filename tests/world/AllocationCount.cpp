// Replaces the global operator new and delete of the world tests with ones
// that count, on the thread that asked, the blocks taken while an
// AllocationCount is alive.
#include "tests/world/AllocationCount.h"

#include <imgui.h>

#include <cstdlib>
#include <new>

namespace {

thread_local bool counting = false;
thread_local std::size_t blocks = 0;

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
  if (counting) ++blocks;
  return p;
}

void* ImGuiAlloc(std::size_t size, void*) {
  if (counting) ++blocks;
  return std::malloc(size);
}

void ImGuiFree(void* p, void*) { std::free(p); }

}  // namespace

namespace worldtest {

AllocationCount::AllocationCount() {
  ImGuiMemAllocFunc alloc = nullptr;
  ImGuiMemFreeFunc release = nullptr;
  ImGui::GetAllocatorFunctions(&alloc, &release, &imguiUser_);
  imguiAlloc_ = reinterpret_cast<void*>(alloc);
  imguiFree_ = reinterpret_cast<void*>(release);
  ImGui::SetAllocatorFunctions(ImGuiAlloc, ImGuiFree, nullptr);
  blocks = 0;
  counting = true;
}

AllocationCount::~AllocationCount() {
  counting = false;
  ImGui::SetAllocatorFunctions(reinterpret_cast<ImGuiMemAllocFunc>(imguiAlloc_),
                               reinterpret_cast<ImGuiMemFreeFunc>(imguiFree_), imguiUser_);
}

std::size_t AllocationCount::Blocks() const { return blocks; }

}  // namespace worldtest

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
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
