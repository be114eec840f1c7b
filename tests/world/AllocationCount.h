// How many blocks the calling thread takes from the heap while a piece of
// code runs: through the global operator new (tests/support/AllocationHook.h,
// linked into this test program) and through Dear ImGui's allocator.
//
//   worldtest::AllocationCount count;   // counting from here
//   DrawSomething();
//   count.Blocks();                     // blocks taken since
//
// One count at a time; ImGui's own allocator is back when it ends.
#pragma once

#include <cstddef>

namespace worldtest {

class AllocationCount {
 public:
  AllocationCount();
  ~AllocationCount();
  AllocationCount(const AllocationCount&) = delete;
  AllocationCount& operator=(const AllocationCount&) = delete;

  std::size_t Blocks() const;

 private:
  void* imguiAlloc_ = nullptr;
  void* imguiFree_ = nullptr;
  void* imguiUser_ = nullptr;
};

}  // namespace worldtest
