// How many times the program has allocated from the heap: the benchmarks of
// this folder replace the global operator new (AllocationCounter.cpp) and
// report the allocations a frame makes, which must be none.
#pragma once

namespace worldbench {

long AllocationCount();

}  // namespace worldbench
