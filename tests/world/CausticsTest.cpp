#include "world/Caustics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace velmora;

TEST(Caustics, ThePhaseRunsAndWrapsAtThePeriod) {
  EXPECT_FLOAT_EQ(AdvanceCausticPhase(0, 1), 0.4f);
  EXPECT_NEAR(AdvanceCausticPhase(19.9f, 1), 0.3f, 1e-5);
  EXPECT_NEAR(AdvanceCausticPhase(2, 259200), std::fmod(2 + 0.4 * 259200, 20.0), 1e-4);  // three days
  // Backwards (the water's time may step back) stays within the period too.
  EXPECT_NEAR(AdvanceCausticPhase(0.1f, -1), 19.7f, 1e-5);
  // Nothing that is not a number survives.
  EXPECT_EQ(AdvanceCausticPhase(std::numeric_limits<float>::quiet_NaN(), 1), 0.0f);
  EXPECT_EQ(AdvanceCausticPhase(0, std::numeric_limits<double>::infinity()), 0.0f);
  // A phase a hair under the period that a float rounds up to it is 0.
  EXPECT_EQ(AdvanceCausticPhase(0, (kCausticPeriod - 1e-9) / kCausticSpeed), 0.0f);
}

TEST(Caustics, EveryShiftIsWholeRepeatsAfterThePeriod) {
  for (const TCausticPlanes& planes : {kWaterCaustics, kFishCaustics}) {
    for (double shift : {planes.sShift, planes.tShift}) {
      const double repeats = shift * kCausticPeriod;
      EXPECT_DOUBLE_EQ(repeats, std::round(repeats)) << shift;
    }
  }
}
