#include "tests/assets/AllocationMeter.h"

#include "tests/support/AllocationHook.h"

namespace assets_test {

AllocationMeter::AllocationMeter() : base_(testsupport::HeapHeld()) { testsupport::ResetHeapPeak(); }

std::size_t AllocationMeter::Peak() const {
  const std::size_t top = testsupport::HeapPeak();
  return top > base_ ? top - base_ : 0;
}

}  // namespace assets_test
