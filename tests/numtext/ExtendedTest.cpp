#include "numtext/Extended.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <functional>
#include <limits>
#include <string>

#include "support/RowName.h"

namespace curvella {
namespace {

enum class Outcome { Value, InvalidOp, ZeroDivide, Overflow };

struct CheckedRow {
  const char* Name;
  std::function<long double()> Operation;
  Outcome Expected;
  long double Value; // when Expected is Outcome::Value
};

class CheckedTable : public testing::TestWithParam<CheckedRow> {};

TEST_P(CheckedTable, RaisesTheSystemsErrorsOnly) {
  const CheckedRow& row = GetParam();
  switch (row.Expected) {
  case Outcome::Value:
    EXPECT_EQ(row.Operation(), row.Value);
    break;
  case Outcome::InvalidOp:
    EXPECT_THROW(row.Operation(), EInvalidOp);
    break;
  case Outcome::ZeroDivide:
    EXPECT_THROW(row.Operation(), EZeroDivide);
    break;
  case Outcome::Overflow:
    EXPECT_THROW(row.Operation(), EOverflow);
    break;
  }
  // An error leaves no flag behind for the next operation.
  EXPECT_EQ(PendingFloatFlags() & kFlagErrors, 0u);
}

constexpr long double kInf = std::numeric_limits<long double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Extended, CheckedTable,
    testing::Values(
        CheckedRow{"DivideByZero", [] { return CheckedDiv(1, 0); }, Outcome::ZeroDivide, 0},
        CheckedRow{"ZeroByZero", [] { return CheckedDiv(0, 0); }, Outcome::InvalidOp, 0},
        CheckedRow{"SqrtOfNegative", [] { return CheckedSqrt(-1); }, Outcome::InvalidOp, 0},
        CheckedRow{"LnOfNegative", [] { return CheckedLn(-1); }, Outcome::InvalidOp, 0},
        CheckedRow{"LnOfZero", [] { return CheckedLn(0); }, Outcome::ZeroDivide, 0},
        CheckedRow{"ExpFitsExtended", [] { return CheckedExp(710) > DBL_MAX ? 1.0L : 0.0L; }, Outcome::Value,
                   1},
        CheckedRow{"ExpBeyondDoubleOnStore", [] { return StoreDouble(CheckedExp(710)); }, Outcome::Overflow,
                   0},
        CheckedRow{"ExpBeyondExtended", [] { return CheckedExp(12000); }, Outcome::Overflow, 0},
        CheckedRow{"MulOverflow", [] { return CheckedMul(LDBL_MAX, 2); }, Outcome::Overflow, 0},
        CheckedRow{"AddOverflow", [] { return CheckedAdd(LDBL_MAX, LDBL_MAX); }, Outcome::Overflow, 0},
        CheckedRow{"SubOverflow", [] { return CheckedSub(-LDBL_MAX, LDBL_MAX); }, Outcome::Overflow, 0},
        CheckedRow{"InfinityMinusInfinity", [] { return CheckedSub(kInf, kInf); }, Outcome::InvalidOp, 0},
        CheckedRow{"SinOfInfinity", [] { return CheckedSin(kInf); }, Outcome::InvalidOp, 0},
        CheckedRow{"CosOfInfinity", [] { return CheckedCos(-kInf); }, Outcome::InvalidOp, 0},
        CheckedRow{"UnderflowIsQuiet", [] { return CheckedMul(1e-4000L, 1e-4000L); }, Outcome::Value, 0},
        CheckedRow{"ExpUnderflowIsQuiet", [] { return CheckedExp(-12000); }, Outcome::Value, 0},
        CheckedRow{"DenormalStoreIsQuiet", [] { return static_cast<long double>(StoreDouble(1e-320L)); },
                   Outcome::Value, static_cast<long double>(1e-320)},
        CheckedRow{"InexactIsQuiet", [] { return CheckedDiv(1, 4); }, Outcome::Value, 0.25L},
        CheckedRow{"ArcTanOfInfinity", [] { return CheckedArcTan(kInf) * 2 > 3.14L ? 1.0L : 0.0L; },
                   Outcome::Value, 1},
        CheckedRow{"StoreLargestDouble", [] { return static_cast<long double>(StoreDouble(DBL_MAX)); },
                   Outcome::Value, static_cast<long double>(DBL_MAX)},
        CheckedRow{"AddStoredOverflowsOnStore",
                   [] { return static_cast<long double>(CheckedAddStored(DBL_MAX, DBL_MAX)); },
                   Outcome::Overflow, 0},
        CheckedRow{"DivStoredZeroByZero", [] { return static_cast<long double>(CheckedDivStored(0, 0)); },
                   Outcome::InvalidOp, 0},
        CheckedRow{"DivStoredByZero", [] { return static_cast<long double>(CheckedDivStored(-1, 0)); },
                   Outcome::ZeroDivide, 0},
        CheckedRow{"SubStoredInfinities",
                   [] { return static_cast<long double>(CheckedSubStored(kInf, kInf)); }, Outcome::InvalidOp,
                   0},
        CheckedRow{"MulStoredRoundsTwice",
                   [] { return static_cast<long double>(CheckedMulStored(1.0L / 3, 3)); }, Outcome::Value,
                   static_cast<long double>(static_cast<double>((1.0L / 3) * 3))},
        CheckedRow{"FiniteStoreBelowTheMidpoint",
                   [] { return static_cast<long double>(StoreFiniteDouble(0x1.fffffffffffff7fep1023L)); },
                   Outcome::Value, static_cast<long double>(DBL_MAX)},
        CheckedRow{"FiniteStoreAtTheMidpoint",
                   [] { return static_cast<long double>(StoreFiniteDouble(-0x1.fffffffffffff8p1023L)); },
                   Outcome::Overflow, 0},
        CheckedRow{"StoreAtTheMidpoint",
                   [] { return static_cast<long double>(StoreDouble(0x1.fffffffffffff8p1023L)); },
                   Outcome::Overflow, 0},
        CheckedRow{"StoreRoundsToNearest", [] { return static_cast<long double>(StoreDouble(1.0L / 3)); },
                   Outcome::Value, static_cast<long double>(1.0 / 3)}),
    test::RowName());

TEST(Extended, ErrorMessagesAreTheSystemsTexts) {
  const auto message = [](auto op) -> std::string {
    try {
      op();
    } catch (const Exception& e) {
      return e.Message();
    }
    return "";
  };
  EXPECT_EQ(message([] { CheckedSqrt(-2); }), "Invalid floating point operation");
  EXPECT_EQ(message([] { CheckedDiv(2, 0); }), "Floating point division by zero");
  EXPECT_EQ(message([] { StoreDouble(1e400L); }), "Floating point overflow");
}

TEST(Extended, AFlagLeftByOtherCodeDoesNotFailTheNextOperation) {
  volatile double zero = 0;
  volatile double stale = 1 / zero; // SSE division raises the zero-divide flag
  (void)stale;
  EXPECT_NE(PendingFloatFlags() & kFlagZeroDivide, 0u);
  EXPECT_EQ(CheckedAdd(1, 2), 3);
  // The same of the x87 unit's flags, and of an inexact result's, which
  // stays up without failing anything.
  volatile long double zeroL = 0;
  volatile long double invalid = zeroL / zeroL;
  (void)invalid;
  EXPECT_NE(PendingFloatFlags() & kFlagInvalid, 0u);
  EXPECT_EQ(CheckedMul(2, 3), 6);
  EXPECT_EQ(PendingFloatFlags() & kFlagErrors, 0u);
  EXPECT_EQ(StoreDouble(CheckedDiv(1, 3)), 1.0 / 3);
  EXPECT_EQ(CheckedSub(5, 2), 3);
}

// Arithmetic and stores look at the x87 unit's flags alone; a flag the SSE
// unit holds stays up through them, and the next library function, which
// may use both units, clears it before it starts.
TEST(Extended, AnSseFlagLeftStaysThroughArithmeticAndFailsNothing) {
  volatile double zero = 0;
  volatile double stale = zero / zero;
  (void)stale;
  EXPECT_EQ(CheckedAdd(1, 2), 3);
  EXPECT_EQ(CheckedDivStored(1, 4), 0.25);
  EXPECT_EQ(StoreDouble(2.5L), 2.5);
  EXPECT_NE(PendingFloatFlags() & kFlagInvalid, 0u);
  EXPECT_GT(CheckedSin(0.5L), 0.47L);
  EXPECT_EQ(PendingFloatFlags() & kFlagErrors, 0u);
}

TEST(Extended, ModeIsExtendedPrecisionRoundingToNearest) {
  SetFloatingPointMode();
  std::uint16_t control;
  asm volatile("fnstcw %0" : "=m"(control));
  EXPECT_EQ(control & 0x0F3F, 0x033F);
  // 1 + 2^-63 is exact only with a 64-bit mantissa.
  volatile long double one = 1;
  EXPECT_NE(CheckedAdd(one, 0x1p-63L), 1.0L);
}

TEST(Extended, ExtendedBitsOfSpecialValues) {
  EXPECT_TRUE(IsInfinity(ExtendedBits(-kInf)));
  EXPECT_TRUE(ExtendedBits(-kInf).Negative);
  EXPECT_FALSE(IsInfinity(ExtendedBits(std::numeric_limits<long double>::quiet_NaN())));
  EXPECT_TRUE(ExtendedBits(-0.0L).Negative);
  EXPECT_EQ(BinaryExponent(ExtendedBits(1.0L)), 0);
  EXPECT_EQ(BinaryExponent(ExtendedBits(0.75L)), -1);
  EXPECT_EQ(BinaryExponent(ExtendedBits(LDBL_TRUE_MIN)), -16445);
  EXPECT_EQ(BinaryExponent(ExtendedBits(static_cast<long double>(5e-324))), -1074);
}

// Halves either side of even and odd integers, the neighbours of halves, the
// ends of the cut's range, and values whose fraction needs all 64 bits.
TEST(Extended, RoundHalfEvenIsNearbyintInRoundingToNearest) {
  SetFloatingPointMode();
  const long double values[] = {0,
                                -0.0L,
                                0.5L,
                                -0.5L,
                                1.5L,
                                -1.5L,
                                2.5L,
                                -2.5L,
                                0.5L - 0x1p-64L,
                                0.5L + 0x1p-63L,
                                -2.5L + 0x1p-62L,
                                1e-4000L,
                                123456789.5L,
                                -987654.49999L,
                                0x1p61L + 0.5L,
                                -0x1p61L - 1.5L,
                                0x1p62L - 0.5L,
                                0x1p62L,
                                -0x1p62L - 1,
                                0x1p63L - 1};
  for (const long double v : values) {
    EXPECT_EQ(RoundHalfEven(v), static_cast<std::int64_t>(nearbyintl(v))) << static_cast<double>(v);
  }
  std::uint64_t state = 88172645463325252ull;
  for (int i = 0; i < 100000; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    // Multiples of 2^-k, halves among them, over magnitudes up to 2^40.
    const long double v = std::ldexp(static_cast<long double>(static_cast<std::int64_t>(state) >> 20),
                                     -static_cast<int>(state % 32));
    ASSERT_EQ(RoundHalfEven(v), static_cast<std::int64_t>(nearbyintl(v))) << static_cast<double>(v);
  }
}

// Under each rounding mode: RoundInCurrentMode rounds as rintl does, and
// RoundHalfEven still to nearest, ties to even.
TEST(Extended, RoundingFollowsTheModeOnlyWhereAsked) {
  const struct {
    const char* Name;
    int Mode;
  } modes[] = {{"nearest", FE_TONEAREST}, {"down", FE_DOWNWARD}, {"up", FE_UPWARD}, {"zero", FE_TOWARDZERO}};
  const long double values[] = {0.5L, -0.5L, 2.5L, -3.5L, 7.25L, -7.75L, 0x1p62L - 0.5L, 1e-4000L};
  for (const auto& mode : modes) {
    SetFloatingPointMode();
    ASSERT_EQ(fesetround(mode.Mode), 0);
    for (const long double v : values) {
      const std::int64_t rounded = RoundInCurrentMode(v);
      const std::int64_t viaRintl = static_cast<std::int64_t>(rintl(v));
      const std::int64_t halfEven = RoundHalfEven(v);
      fesetround(FE_TONEAREST);
      EXPECT_EQ(rounded, viaRintl) << mode.Name << " " << static_cast<double>(v);
      EXPECT_EQ(halfEven, static_cast<std::int64_t>(nearbyintl(v)))
          << mode.Name << " " << static_cast<double>(v);
      fesetround(mode.Mode);
    }
    fesetround(FE_TONEAREST);
  }
  SetFloatingPointMode();
}

} // namespace
} // namespace curvella
