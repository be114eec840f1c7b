// Heap allocations counted across the world's benchmarks: the global
// allocation functions of this executable are replaced by counting ones
// (HeapCount.cpp), so that a benchmark can report how many allocations its
// steady-state frames make (the answer must be 0).
#pragma once

namespace velmora {

// Allocations through operator new since the program started.
long HeapAllocations();

}  // namespace velmora
