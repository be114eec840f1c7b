// The global operator new and delete of a test program that links
// AllocationHook.cpp (the velmora_test_allocations library): malloc and
// free underneath, with two counts kept beside them.
//
//   Bytes held: what every thread holds through operator new, by the size
//   malloc gave each block (what the process really held, not what was
//   asked for), and its high-water mark since the last ResetHeapPeak.
//
//   Blocks: how many blocks the calling thread took while its count was
//   on; another allocator routed here (Dear ImGui's) adds its blocks with
//   CountBlock.
//
// The measures built on them: tests/assets/AllocationMeter.h (peak bytes)
// and tests/world/AllocationCount.h (blocks of a piece of code).
#pragma once

#include <cstddef>

namespace testsupport {

std::size_t HeapHeld();
// The most bytes held at once since ResetHeapPeak.
std::size_t HeapPeak();
// The high-water mark starts again from the bytes held now.
void ResetHeapPeak();

// Counting for the calling thread: StartCountingBlocks sets the count to 0
// and turns it on; CountedBlocks reads it, also after StopCountingBlocks.
void StartCountingBlocks();
void StopCountingBlocks();
std::size_t CountedBlocks();
// One block taken by another allocator, counted when the count is on.
void CountBlock();

}  // namespace testsupport
