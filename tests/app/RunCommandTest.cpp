#include "app/RunCommand.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <typeinfo>
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

// A run on several threads against the run on one: the same points, the same
// error after the same step, and every entry of SampledY the same, those
// past the failing step keeping what an earlier run left there.
struct ParallelRow {
  const char* Name;
  const char* Expression;
  const char* FirstX;
  const char* LastX;
  const char* Steps;
};

struct TRunOutcome {
  std::vector<double> X;
  std::vector<double> Y;
  std::string Error;
  std::unique_ptr<TRunRecord> Record = std::make_unique<TRunRecord>();
};

TRunOutcome RunWith(const ParallelRow& row, TSamplingThreads threads) {
  TRunOutcome outcome;
  // What an earlier, longer run left in the record.
  for (int i = 0; i < kMaxSteps; ++i) outcome.Record->SampledY[i] = 1000.0 + i;
  TPoints points;
  try {
    RunSampling(Texts(row.Expression, row.FirstX, row.LastX, row.Steps), *outcome.Record, points.Sink(),
                threads);
  } catch (const Exception& e) {
    outcome.Error = typeid(e).name() + std::string(": ") + e.what();
  }
  outcome.X = std::move(points.X);
  outcome.Y = std::move(points.Y);
  return outcome;
}

class ParallelTable : public testing::TestWithParam<ParallelRow> {};

TEST_P(ParallelTable, MatchesTheRunOnOneThread) {
  const TRunOutcome one = RunWith(GetParam(), {1, 1});
  for (const TSamplingThreads threads :
       {TSamplingThreads{2, 1}, TSamplingThreads{2, 7}, TSamplingThreads{3, 7}, TSamplingThreads{4, 64},
        TSamplingThreads{}}) {
    SCOPED_TRACE(testing::Message() << threads.Count << " threads, chunks of " << threads.ChunkSteps);
    const TRunOutcome many = RunWith(GetParam(), threads);
    EXPECT_EQ(many.Error, one.Error);
    EXPECT_EQ(many.X, one.X);
    EXPECT_EQ(many.Y, one.Y);
    EXPECT_EQ(many.Record->CompletedSteps, one.Record->CompletedSteps);
    EXPECT_EQ(0, std::memcmp(many.Record->SampledY.data(), one.Record->SampledY.data(),
                             sizeof one.Record->SampledY));
  }
}

// x runs 0, 1, 2, ...: "1/(x-K)" fails at step K+1, at and around the ends
// of chunks of 7 and 64 steps.
INSTANTIATE_TEST_SUITE_P(
    Run, ParallelTable,
    testing::Values(ParallelRow{"NoFailure", "sin(x)*x+1+sin(x*2)*x+2+cos(x*3)", "-7", "13", "10000"},
                    ParallelRow{"FailsAtTheFirstStep", "1/(x-0)", "0", "1000", "1000"},
                    ParallelRow{"FailsAtTheLastStepOfAChunk", "1/(x-6)", "0", "1000", "1000"},
                    ParallelRow{"FailsAtTheFirstStepOfAChunk", "1/(x-7)", "0", "1000", "1000"},
                    ParallelRow{"FailsAfterTheFirstStepOfAChunk", "1/(x-8)", "0", "1000", "1000"},
                    ParallelRow{"FailsAtTheEndOfALargeChunk", "1/(x-63)", "0", "1000", "1000"},
                    ParallelRow{"FailsAtTheStartOfALargeChunk", "1/(x-64)", "0", "1000", "1000"},
                    ParallelRow{"FailsAtTheLastStep", "1/(x-999)", "0", "1000", "1000"},
                    ParallelRow{"OtherErrorsFollowTheFirst", "ln(300-x)", "0", "10000", "10000"},
                    ParallelRow{"ManyCallsFailingLate", "sin(x)*x+sqrt(9000-x)*2+sin(x)*x+cos(x)/x", "1",
                                "10001", "10000"},
                    ParallelRow{"TheNextXFails", "x", "1e9999", "2", "5000"},
                    ParallelRow{"FewSteps", "x^2-3*x+2", "-1", "4", "3"}),
    test::RowName());

} // namespace
} // namespace curvella
