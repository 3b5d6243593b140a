#include "numtext/PowersOfTen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>

namespace curvella {
namespace {

// The C library reads decimal text with exact rounding: every table entry is
// the extended value nearest to its power of ten.
long double Nearest(int n) { return strtold(("1e" + std::to_string(n)).c_str(), nullptr); }

TEST(PowersOfTen, TablesHoldTheNearestExtendedValues) {
  for (int n = 0; n < 32; ++n) EXPECT_EQ(kPow10Units[n], Nearest(n)) << n;
  for (int k = 0; k < 16; ++k) EXPECT_EQ(kPow10Tens[k], Nearest(32 * k)) << 32 * k;
  for (int k = 0; k < 10; ++k) EXPECT_EQ(kPow10Hundreds[k], Nearest(512 * k)) << 512 * k;
}

TEST(PowersOfTen, ProductAppliesTheFactorsInOrder) {
  // 10^1000 = 10^8 * 10^480 * 10^512, each product rounded.
  const long double expected = (3.0L * kPow10Units[8]) * kPow10Tens[15] * kPow10Hundreds[1];
  EXPECT_EQ(ScaleByPowerOfTen(3, 1000), expected);
  const long double divided = (3.0L / kPow10Units[8]) / kPow10Tens[15] / kPow10Hundreds[1];
  EXPECT_EQ(ScaleByPowerOfTen(3, -1000), divided);
  EXPECT_EQ(ScaleByPowerOfTen(1.5, 2), 150);
  EXPECT_EQ(ScaleByPowerOfTen(7, 0), 7);
}

TEST(PowersOfTen, LimitsGiveInfinityAndZero) {
  const long double inf = std::numeric_limits<long double>::infinity();
  EXPECT_EQ(ScaleByPowerOfTen(0, 5120), inf);
  EXPECT_EQ(ScaleByPowerOfTen(-1, 6000), inf);
  EXPECT_EQ(ScaleByPowerOfTen(1e4000L, -5120), 0);
  EXPECT_EQ(ScaleByPowerOfTen(1, 5119), inf);
}

} // namespace
} // namespace curvella
