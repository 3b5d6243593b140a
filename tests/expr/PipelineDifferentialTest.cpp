// Rewriting, call finding and planning against their first versions in
// ReferenceRewriting and ReferencePlan, over generated texts, well-formed and
// not, and the kept fuzzing corpus: the same text or the same refusal, the
// same occurrences, the same step for every occurrence.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "RandomExpressions.h"
#include "ReferencePlan.h"
#include "ReferenceRewriting.h"
#include "expr/EvaluationPlan.h"
#include "expr/ExpressionRewriting.h"

namespace curvella {
namespace {

// The rewritten text, or "error: " and the refusal's message.
template <class TRewrite> std::string RewriteOutcome(TRewrite rewrite, const std::string& text) {
  try {
    return rewrite(text);
  } catch (const EExpressionError& e) {
    return "error: " + e.Message();
  }
}

// Compares the two call finders on a text, then the plans of what they
// found; returns the number of occurrences (-1 when refused).
int ExpectSameCallsAndSteps(const std::string& text) {
  TOccurrenceList list;
  std::string refusal;
  try {
    list = FindOperations(text);
  } catch (const EExpressionError& e) {
    refusal = e.Message();
  }
  try {
    const TOccurrenceList reference = test::ReferenceFindOperations(text);
    EXPECT_EQ(refusal, "") << "text: " << text;
    if (!refusal.empty()) return -1;
    EXPECT_EQ(list.Count(), reference.Count()) << "text: " << text;
    if (list.Count() != reference.Count()) return -1;
    for (int i = 1; i <= list.Count(); ++i) {
      const TOccurrence& a = list[i];
      const TOccurrence& b = reference[i];
      EXPECT_TRUE(a.Operation == b.Operation && a.Position == b.Position && a.CallLength == b.CallLength &&
                  a.Closed == b.Closed)
          << "occurrence " << i << " of text: " << text;
    }
  } catch (const EExpressionError& e) {
    EXPECT_EQ(refusal, e.Message()) << "text: " << text;
    return -1;
  }
  const TEvaluationPlan plan(list);
  const std::vector<TStep> reference = test::ReferencePlanSteps(plan);
  for (int m = 1; m <= plan.Count(); ++m) {
    const std::string difference = test::StepDifference(plan.Step(m), reference[m]);
    EXPECT_EQ(difference, "") << "step " << m << " of text: " << text;
    if (!difference.empty()) break;
  }
  return list.Count();
}

// The whole pipeline on one typed text; returns the rewritten text, or "".
std::string ExpectSamePipeline(const std::string& typed) {
  const std::string rewritten =
      RewriteOutcome([](const std::string& t) { return RewriteExpression(t); }, typed);
  EXPECT_EQ(rewritten,
            RewriteOutcome([](const std::string& t) { return test::ReferenceRewriteExpression(t); }, typed))
      << "typed: " << typed;
  if (rewritten.starts_with("error: ")) return "";
  ExpectSameCallsAndSteps(rewritten);
  return rewritten;
}

// Well-formed infix with signs, blanks and exponents.
std::string RandomInfix(std::mt19937& random, int depth) {
  static const test::TInfixVocabulary words{{"x", "2", "0.5", "-x", "1e-3", "1e2", " x", "10 "},
                                            {"sin", "cos", "sh", "ch", "sqrt", "ln", "exp", "abs"},
                                            {"+", "-", "*", "/", "^", "*-", "^-", " + "}};
  return test::RandomInfix(random, words, depth);
}

// Byte soup of operators, parentheses, keywords, blanks and signs.
std::string RandomSoup(std::mt19937& random, int length) {
  static const std::vector<std::string> tokens = {"+", "-", "*", "/",   "^",   "(",    ")",   "&",     " ",
                                                  "x", "1", "e", "sin", "sh-", "plus", "pow", "mult(", "ch"};
  std::string text;
  for (int k = 0; k < length; ++k) text += test::Pick(random, tokens);
  return text;
}

TEST(PipelineDifferential, WellFormedInfix) {
  std::mt19937 random(23);
  for (int i = 0; i < 3000; ++i) ExpectSamePipeline(RandomInfix(random, 5));
}

TEST(PipelineDifferential, WellFormedInfixCutShort) {
  // Unbalanced parentheses and dangling operators at both ends.
  std::mt19937 random(29);
  for (int i = 0; i < 3000; ++i) {
    const std::string text = RandomInfix(random, 4);
    const std::size_t cut = random() % (text.size() + 1);
    ExpectSamePipeline(text.substr(0, cut));
    ExpectSamePipeline(text.substr(cut));
  }
}

TEST(PipelineDifferential, ByteSoups) {
  std::mt19937 random(31);
  for (int i = 0; i < 20000; ++i) {
    const std::string soup = RandomSoup(random, 1 + static_cast<int>(random() % 20));
    ExpectSamePipeline(soup);
    ExpectSameCallsAndSteps(soup); // the call finder on text as typed
  }
}

TEST(PipelineDifferential, RewrittenTextsTruncatedAndDoubled) {
  // Calls left open to the end of the text, and call texts that repeat.
  std::mt19937 random(37);
  for (int i = 0; i < 2000; ++i) {
    std::string rewritten = ExpectSamePipeline(RandomInfix(random, 4));
    if (rewritten.empty()) continue;
    rewritten.pop_back();
    ExpectSameCallsAndSteps(rewritten + rewritten);
    ExpectSameCallsAndSteps(rewritten + "&" + rewritten.substr(random() % (rewritten.size() + 1)));
  }
}

struct TLimitRow {
  const char* Name;
  std::string Text;
};

void PrintTo(const TLimitRow& row, std::ostream* out) { *out << row.Name; }

class LimitTable : public testing::TestWithParam<TLimitRow> {};

// Around 3000 splices and 3000 calls: which refusal wins, and when.
TEST_P(LimitTable, SameRefusalOrText) { ExpectSamePipeline(GetParam().Text); }

std::string Joined(const std::string& unit, int times, const std::string& joiner) {
  std::string text;
  for (int i = 0; i < times; ++i) text += (i ? joiner : "") + unit;
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    PipelineDifferential, LimitTable,
    testing::Values(
        TLimitRow{"SumAtTheLimit", Joined("x", 3001, "+")},
        TLimitRow{"SumOverTheLimit", Joined("x", 3002, "+")},
        TLimitRow{"IncompleteAfterTheLimit", Joined("x", 3002, "+") + "^"},
        TLimitRow{"IncompleteBeforeTheLimit", Joined("x", 2000, "*") + "+(" + Joined("x", 1500, "-")},
        TLimitRow{"CallsOverTheLimit", Joined("sin(x)", 1501, "+")},
        TLimitRow{"PowerChainWithLongTail", Joined("1", 2999, "^") + std::string(5000, '1') + "+"},
        TLimitRow{"NestedGroups", std::string(2000, '(') + Joined("x", 1000, "*-") + ")+x"},
        TLimitRow{"UnmatchedClosings", Joined("x)", 1000, "^") + "*" + Joined("(x", 500, "-")},
        TLimitRow{"SignsEverywhere", Joined("-x", 1400, "*-") + "/-"},
        // Deeply nested twins: comparing them directly would take too long,
        // so the plan compares through its table of suffixes.
        TLimitRow{"DeepTwins", Joined(Joined("abs(", 500, "") + "x" + std::string(500, ')'), 3, "+")}),
    [](const testing::TestParamInfo<TLimitRow>& info) { return std::string(info.param.Name); });

// The kept fuzzing corpus and the fuzz findings: a control byte, then the
// text, rewritten first when the byte is odd.
TEST(PipelineDifferential, KeptCorpora) {
  int compared = 0;
  for (const char* folder : {CURVELLA_EXPR_FUZZ_CORPUS, CURVELLA_EXPR_TEST_DATA}) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string data{std::istreambuf_iterator<char>(in), {}};
      if (data.empty()) continue;
      const std::string text = data.substr(1);
      if (data[0] & 1)
        ExpectSamePipeline(text);
      else
        ExpectSameCallsAndSteps(text);
      ++compared;
    }
  }
  EXPECT_GT(compared, 1000);
}

} // namespace
} // namespace curvella
