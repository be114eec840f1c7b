// Peak heap use of a piece of code, measured through the global operator
// new and delete of tests/support/AllocationHook.h, linked into this test
// program.
//
//   assets_test::AllocationMeter meter;   // starts at the bytes held now
//   ReadSomething();
//   meter.Peak();                         // most bytes held above the start
//
// Counts every allocation of every thread by the size malloc gave it, so
// the figure is what the process really held, not what was asked for.
#pragma once

#include <cstddef>

namespace assets_test {

class AllocationMeter {
 public:
  AllocationMeter();
  AllocationMeter(const AllocationMeter&) = delete;
  AllocationMeter& operator=(const AllocationMeter&) = delete;

  // The most bytes held at once since the meter was made, above what was
  // held when it was made.
  std::size_t Peak() const;

 private:
  std::size_t base_;
};

}  // namespace assets_test
