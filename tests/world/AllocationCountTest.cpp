// The heap measures the allocation tests rely on: a measure that counted
// nothing would let every "allocates nothing" test pass.
#include <gtest/gtest.h>

#include <imgui.h>

#include <memory>
#include <thread>
#include <vector>

#include "tests/support/AllocationHook.h"
#include "tests/world/AllocationCount.h"

namespace {

// Where the blocks go, so that the compiler keeps them.
void* volatile sink = nullptr;

}  // namespace

TEST(AllocationCount, CountsTheBlocksOfThisThreadThroughNewAndImGui) {
  std::size_t blocks = 0, elsewhere = 0;
  {
    worldtest::AllocationCount count;
    std::unique_ptr<int> one = std::make_unique<int>(2);
    sink = one.get();
    std::vector<char> two(100);
    sink = two.data();
    void* three = ImGui::MemAlloc(16);
    sink = three;
    ImGui::MemFree(three);
    // Another thread's blocks are its own.
    std::thread([&elsewhere] {
      std::vector<std::unique_ptr<int>> kept;
      for (int i = 0; i < 10; ++i) kept.push_back(std::make_unique<int>(i));
      elsewhere = kept.size();
    }).join();
    blocks = count.Blocks();
  }
  ASSERT_EQ(elsewhere, 10u);
  // Starting the thread takes a block or two of this thread.
  EXPECT_GE(blocks, 3u);
  EXPECT_LE(blocks, 5u);

  worldtest::AllocationCount count;
  std::unique_ptr<int> after = std::make_unique<int>(3);
  sink = after.get();
  EXPECT_EQ(count.Blocks(), 1u);
}

TEST(AllocationHook, KeepsTheBytesHeldAndTheirPeak) {
  const std::size_t start = testsupport::HeapHeld();
  testsupport::ResetHeapPeak();
  {
    std::vector<char> block(1 << 20);
    sink = block.data();
    EXPECT_GE(testsupport::HeapHeld(), start + (1 << 20));
  }
  EXPECT_LT(testsupport::HeapHeld(), start + (1 << 20)) << "freed blocks are given back";
  EXPECT_GE(testsupport::HeapPeak(), start + (1 << 20)) << "the peak stays";
  testsupport::ResetHeapPeak();
  EXPECT_LT(testsupport::HeapPeak(), start + (1 << 20));
}
