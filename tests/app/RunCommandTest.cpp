#include "app/RunCommand.h"

#include <gtest/gtest.h>

#include <vector>

#include "expr/ExpressionRewriting.h"
#include "numtext/Extended.h"
#include "support/RowName.h"

namespace curvella {
namespace {

struct TPoints {
  std::vector<double> X;
  std::vector<double> Y;
  TPointSink Sink() {
    return [this](double x, double y) {
      X.push_back(x);
      Y.push_back(y);
    };
  }
};

TRunTexts Texts(std::string expression, std::string first, std::string last, std::string steps) {
  return {std::move(expression), std::move(first), std::move(last), std::move(steps)};
}

struct StepsRow {
  const char* Name;
  const char* Steps;
  int Points;
};

class StepsTable : public testing::TestWithParam<StepsRow> {};

TEST_P(StepsTable, AreReadAndClamped) {
  TRunRecord record;
  TPoints points;
  RunSampling(Texts("x", "0", "1", GetParam().Steps), record, points.Sink());
  EXPECT_EQ(static_cast<int>(points.X.size()), GetParam().Points);
  EXPECT_EQ(record.StepCount, GetParam().Points);
  EXPECT_EQ(record.CompletedSteps, GetParam().Points);
}

INSTANTIATE_TEST_SUITE_P(Run, StepsTable,
                         testing::Values(StepsRow{"Zero", "0", 1000}, StepsRow{"Negative", "-5", 1000},
                                         StepsRow{"Empty", "", 1000}, StepsRow{"Letters", "abc", 1000},
                                         StepsRow{"TooMany", "20000", 10000},
                                         StepsRow{"Most", "10000", 10000}, StepsRow{"Decimals", "50.5", 50},
                                         StepsRow{"Exponent", "1e3", 1}, StepsRow{"One", "1", 1},
                                         StepsRow{"Hexadecimal", "$10", 16}),
                         test::RowName());

TEST(Run, InitialTextsPlotZeroFromNoughtToOneNinetyEight) {
  TRunRecord record;
  TPoints points;
  RunSampling(TRunTexts(), record, points.Sink());
  ASSERT_EQ(points.X.size(), 100u);
  double x = 0;
  for (std::size_t i = 0; i < points.X.size(); ++i) {
    EXPECT_EQ(points.X[i], x) << i;
    EXPECT_EQ(points.Y[i], 0);
    // Each x is the one before plus 0.02, formed in extended precision and
    // rounded to double.
    x = static_cast<double>(static_cast<long double>(x) + (2.0L - 0.0L) / 100);
  }
  EXPECT_NEAR(points.X.back(), 1.98, 1e-12);
  EXPECT_EQ(record.FirstX, 0);
  EXPECT_EQ(record.LastX, 2);
}

TEST(Run, SamplesDownwardAndAtOneX) {
  TRunRecord record;
  TPoints down;
  RunSampling(Texts("x*1", "2", "0", "4"), record, down.Sink());
  EXPECT_EQ(down.X, (std::vector<double>{2, 1.5, 1, 0.5}));
  EXPECT_EQ(down.Y, down.X);
  TPoints same;
  RunSampling(Texts("x*2", "3", "3", "5"), record, same.Sink());
  EXPECT_EQ(same.X, std::vector<double>(5, 3));
}

TEST(Run, ReciprocalFromZeroFailsAtTheFirstStep) {
  TRunRecord record;
  record.SampledY[0] = 42; // left by an earlier run
  TPoints points;
  EXPECT_THROW(RunSampling(Texts("1/x", "0", "2", "10"), record, points.Sink()), EZeroDivide);
  EXPECT_TRUE(points.X.empty());
  EXPECT_EQ(record.FirstX, 0);
  EXPECT_EQ(record.LastX, 2);
  EXPECT_EQ(record.StepCount, 10);
  EXPECT_EQ(record.CompletedSteps, 0);
}

TEST(Run, StopsAtTheFailingStepAndKeepsThePointsBefore) {
  TRunRecord record;
  TPoints points;
  EXPECT_THROW(RunSampling(Texts("ln(x)", "-1", "1", "8"), record, points.Sink()), EInvalidOp);
  EXPECT_TRUE(points.X.empty());
  // 1/x from -0.5 up by 0.25 fails at x = 0, the third step.
  EXPECT_THROW(RunSampling(Texts("1/x", "-0.5", "0.5", "4"), record, points.Sink()), EZeroDivide);
  EXPECT_EQ(points.X, (std::vector<double>{-0.5, -0.25}));
  EXPECT_EQ(record.CompletedSteps, 2);
  EXPECT_EQ(record.SampledY[1], -4);
}

TEST(Run, FirstXBeyondTheDoubleRangeLeavesTheRecord) {
  TRunRecord record;
  TPoints points;
  RunSampling(Texts("x", "0", "2", "3"), record, points.Sink());
  EXPECT_THROW(RunSampling(Texts("x", "1e400", "2", "5"), record, points.Sink()), EOverflow);
  EXPECT_THROW(RunSampling(Texts("x", "0", "-1e400", "5"), record, points.Sink()), EOverflow);
  EXPECT_EQ(record.StepCount, 3);
  EXPECT_EQ(record.LastX, 2);
}

TEST(Run, IncompleteExpressionIsRefusedBeforeAnyPoint) {
  TRunRecord record;
  TPoints points;
  EXPECT_THROW(RunSampling(Texts("x+", "0", "2", "3"), record, points.Sink()), EExpressionError);
  EXPECT_TRUE(points.X.empty());
  EXPECT_EQ(record.StepCount, 0);
}

TEST(Run, InfiniteRangeFailsWhenXAdvances) {
  // x = +inf is sampled once; the step to the next x, inf + (2 - inf)/3, is
  // invalid.
  TRunRecord record;
  TPoints points;
  EXPECT_THROW(RunSampling(Texts("x", "1e9999", "2", "3"), record, points.Sink()), EInvalidOp);
  EXPECT_EQ(points.X.size(), 1u);
  EXPECT_EQ(record.CompletedSteps, 1);
}

} // namespace
} // namespace curvella
