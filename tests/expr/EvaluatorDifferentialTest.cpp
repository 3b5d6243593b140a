// The planned evaluator against the literal substitution loop, over many
// generated expressions, malformed ones included: the same bits, or the same
// error, at every x.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "LiteralEvaluation.h"
#include "RandomExpressions.h"
#include "expr/Evaluator.h"
#include "expr/ExpressionRewriting.h"

namespace curvella {
namespace {

const double kXs[] = {-2.5, -1, -0.0, 0, 0.3, 1, 2, 7.25, 1e300};

// Compares the two at every x; returns whether the evaluator kept the
// literal search for some occurrence.
bool ExpectSameOutcomes(const std::string& rewritten, std::span<const double> xs = kXs) {
  TOccurrenceList list;
  try {
    list = FindOperations(rewritten);
  } catch (const EExpressionError&) {
    return false;
  }
  TEvaluator evaluator(list);
  for (double x : xs) {
    const std::string literal = test::EvaluationOutcome([&] { return test::EvaluateLiterally(list, x); });
    const std::string planned = test::EvaluationOutcome([&] { return evaluator.EvaluateAt(x); });
    EXPECT_EQ(planned, literal) << "text: " << rewritten << "  x = " << x;
  }
  return evaluator.LiteralSteps() > 0;
}

// Well-formed infix expressions, rewritten.
std::string RandomInfix(std::mt19937& random, int depth) {
  static const test::TInfixVocabulary words{{"x", "2", "0.5", "3", "x", "1e2", "0", "-x", "10"},
                                            {"sin", "cos", "tan", "ctn", "asn", "acs", "atn", "act", "sh",
                                             "ch", "th", "ctgh", "abs", "sqrt", "ln", "exp"},
                                            {"+", "-", "*", "/", "^"}};
  return test::RandomInfix(random, words, depth);
}

// Texts made of call fragments, signs and blanks, given to FindOperations
// as they stand: unbalanced parentheses, calls run together, a keyword
// followed by one character, repeated call texts.
std::string RandomFragments(std::mt19937& random) {
  static const std::vector<std::string> fragments = {
      "plus(", "minus(", "mult(", "divide(", "pow(",   "sin(", "cos(", "sh",       "ch", "th",
      "exp(",  "ln(",    "sqrt(", "abs(",    "x",      "2",    "-",    " ",        "&",  ")",
      "(",     "1.5",    "e",     "0",       "cos(x)", "sh-",  "sh ",  "shcos(x)", "-1"};
  std::string text;
  const int count = 1 + static_cast<int>(random() % 14);
  for (int i = 0; i < count; ++i) text += test::Pick(random, fragments);
  return text;
}

TEST(EvaluatorDifferential, WellFormedExpressions) {
  std::mt19937 random(3);
  int compared = 0;
  for (int i = 0; i < 3000; ++i) {
    std::string rewritten;
    try {
      rewritten = RewriteExpression(RandomInfix(random, 4));
    } catch (const EExpressionError&) {
      continue;
    }
    ExpectSameOutcomes(rewritten);
    ++compared;
  }
  EXPECT_GT(compared, 2500);
}

TEST(EvaluatorDifferential, MalformedTexts) {
  std::mt19937 random(11);
  int literalSteps = 0;
  for (int i = 0; i < 20000; ++i) literalSteps += ExpectSameOutcomes(RandomFragments(random));
  // The fragments do produce call texts that could run on into a result.
  EXPECT_GT(literalSteps, 0);
}

TEST(EvaluatorDifferential, MalformedInfixRewritten) {
  std::mt19937 random(5);
  const std::string alphabet = "x12.e+-*/^()  &sinco";
  for (int i = 0; i < 20000; ++i) {
    std::string text;
    const int length = 1 + static_cast<int>(random() % 16);
    for (int k = 0; k < length; ++k) text += alphabet[random() % alphabet.size()];
    std::string rewritten;
    try {
      rewritten = RewriteExpression(text);
    } catch (const EExpressionError&) {
      continue;
    }
    ExpectSameOutcomes(rewritten);
  }
}

TEST(EvaluatorDifferential, WellFormedExpressionsWithTheirLastCharacterDropped) {
  // Enclosing calls left open to the end of the text, around closed ones.
  std::mt19937 random(17);
  for (int i = 0; i < 3000; ++i) {
    std::string rewritten;
    try {
      rewritten = RewriteExpression(RandomInfix(random, 4));
    } catch (const EExpressionError&) {
      continue;
    }
    if (rewritten.empty()) continue;
    rewritten.pop_back();
    ExpectSameOutcomes(rewritten + rewritten);
    ExpectSameOutcomes(rewritten);
  }
}

struct TextRow {
  const char* Name;
  const char* Text;
};

class EdgeTextTable : public testing::TestWithParam<TextRow> {};

TEST_P(EdgeTextTable, MatchesTheLiteralLoop) { ExpectSameOutcomes(GetParam().Text); }

// A call text that closes exactly at the end of the text stands wherever its
// copies stand, like any closed call text.
INSTANTIATE_TEST_SUITE_P(
    EvaluatorDifferential, EdgeTextTable,
    testing::Values(TextRow{"ClosedAtTheEndInsideAnOpenCall", "plus(abs(sin(cos(x)))&sin(cos(x))"},
                    TextRow{"KeywordPlusCharacterAtTheEnd", "plus(actch(x)&actch(x)"},
                    TextRow{"NestedCopiesAtTheEnd", "minus(tan(abs(1e2))&tan(abs(1e2)"},
                    TextRow{"OverflowPlacedRight", "pow(expabs(x)&expabs(x)"},
                    TextRow{"OpenCallInsideOpenCall", "plus(sin(x&sin(x"},
                    TextRow{"KeywordAloneAtTheEnd", "plus(sin(x)&sin"}),
    [](const testing::TestParamInfo<TextRow>& info) { return std::string(info.param.Name); });

// Occurrences with the same operation and operands are evaluated once per x
// and copied: the copies must keep the values, the texts read by mixed
// operands, and the error of the first evaluated.
struct RepeatRow {
  const char* Name;
  const char* Expression;
  int DistinctSteps;
};

class RepeatedCallTable : public testing::TestWithParam<RepeatRow> {};

TEST_P(RepeatedCallTable, CopiesMatchTheLiteralLoop) {
  const std::string rewritten = RewriteExpression(GetParam().Expression);
  const double xs[] = {-2.5, -1, -0.0, 0, 0.3, 1, 2, 7.25, 1e300, 710, -1e-320};
  ExpectSameOutcomes(rewritten, xs);
  EXPECT_EQ(TEvaluator(FindOperations(rewritten)).DistinctSteps(), GetParam().DistinctSteps);
}

INSTANTIATE_TEST_SUITE_P(
    EvaluatorDifferential, RepeatedCallTable,
    testing::Values(RepeatRow{"SameCallTwice", "sin(x)+sin(x)", 2},
                    RepeatRow{"ChainOfRepeatedTerms", "sin(x)*x+1+sin(x)*x+1+sin(x)*x+1", 7},
                    RepeatRow{"ZeroDivisionInACopy", "1/(x-1)+1/(x-1)", 3},
                    RepeatRow{"InvalidInACopy", "sqrt(x)*2-sqrt(x)*2", 3},
                    RepeatRow{"OverflowInACopy", "exp(x)*exp(x)+exp(x)*exp(x)", 3},
                    RepeatRow{"SameConstantsDifferentOperations", "x*2+x/2+x*2", 4},
                    RepeatRow{"NegativeZeroIsNotZero", "x*-0+x*0", 3},
                    RepeatRow{"CopiesReadInsideAMixedOperand", "sh-sin(x)+sh-sin(x)", 5},
                    RepeatRow{"DistinctConstants", "sin(x*1)*x+1+sin(x*2)*x+2", 9}),
    [](const testing::TestParamInfo<RepeatRow>& info) { return std::string(info.param.Name); });

TEST(EvaluatorDifferential, ResultsThatCompleteACallText) {
  // "sh" stands before the result of cos(x) once shcos(x) has been found at
  // its first place; whether the later "sh-" is found there depends on the
  // sign of cos(x), which changes with x.
  EXPECT_TRUE(ExpectSameOutcomes("plus(shcos(x)&shcos(x)&sh-)"));
  EXPECT_TRUE(ExpectSameOutcomes("plus(shcos(x)&shcos(x)&sh )"));
  EXPECT_TRUE(ExpectSameOutcomes("minus(chsin(x)&chsin(x)&ch-&x)"));
}

// Texts the fuzzer found, as it gave them: a byte choosing whether the text
// is rewritten first, then the text. Each has some 2,400 calls, and in
// hundreds of steps a call text runs on into a result text at some x. The
// literal loop takes a second or more at each x for them.
TEST(EvaluatorDifferential, FuzzFindings) {
  const double xs[] = {0, -2.5};
  for (const char* name : {"run-ons-in-many-steps-1.bin"}) {
    std::ifstream in(std::string(CURVELLA_EXPR_TEST_DATA) + "/" + name, std::ios::binary);
    const std::string data{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(data.empty()) << name;
    const std::string text = data.substr(1);
    EXPECT_TRUE(ExpectSameOutcomes(data[0] & 1 ? RewriteExpression(text) : text, xs)) << name;
  }
}

} // namespace
} // namespace curvella
