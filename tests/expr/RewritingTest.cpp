#include "expr/ExpressionRewriting.h"

#include <gtest/gtest.h>

#include <string>

#include "support/RowName.h"

namespace curvella {
namespace {

struct RewriteRow {
  const char* Name;
  const char* Text;
  const char* Rewritten;
};

class RewriteTable : public testing::TestWithParam<RewriteRow> {};

TEST_P(RewriteTable, RewritesCharacterForCharacter) {
  EXPECT_EQ(RewriteExpression(GetParam().Text), GetParam().Rewritten);
}

INSTANTIATE_TEST_SUITE_P(
    Rewriting, RewriteTable,
    testing::Values(
        RewriteRow{"Empty", "", ""}, RewriteRow{"Variable", "x", "x"}, RewriteRow{"Number", "5", "5"},
        RewriteRow{"TypedCall", "sin(x)", "sin(x)"}, RewriteRow{"Sum", "x+1", "plus(x&1)"},
        RewriteRow{"ProductFirst", "2*x+1", "plus(mult(2&x)&1)"},
        RewriteRow{"MinusGroupsFromTheLeft", "x-1-2", "minus(minus(x&1)&2)"},
        RewriteRow{"DivideGroupsFromTheLeft", "x/2/x", "divide(divide(x&2)&x)"},
        RewriteRow{"TimesBindsTighterThanDivide", "1/2*x", "divide(1&mult(2&x))"},
        RewriteRow{"TimesThenDivide", "x*2/4", "divide(mult(x&2)&4)"},
        RewriteRow{"MinusBindsTighterThanPlus", "a-b+c", "plus(minus(a&b)&c)"},
        RewriteRow{"ProductChain", "x*x*x", "mult(mult(x&x)&x)"},
        RewriteRow{"ParenthesesStay", "(x+1)*2", "mult((plus(x&1))&2)"},
        RewriteRow{"TwoParenthesised", "(x-1)*(x+1)", "mult((minus(x&1))&(plus(x&1)))"},
        RewriteRow{"DivideByParenthesised", "x/(x+1)", "divide(x&(plus(x&1)))"},
        RewriteRow{"PowerInsideCall", "sin(x^2)+1", "plus(sin(pow(x&2))&1)"},
        RewriteRow{"CallToPower", "sin(x)^2", "pow(sin(x)&2)"},
        RewriteRow{"PowerOfCall", "2^sin(x)", "pow(2&sin(x))"},
        RewriteRow{"TwoCalls", "sqrt(x)+ln(x+1)", "plus(sqrt(x)&ln(plus(x&1)))"},
        RewriteRow{"PowerOfParenthesisedPower", "(2^3)^2", "pow((pow(2&3))&2)"},
        RewriteRow{"PowerOfPowerParenthesised", "2^(3^2)", "pow(2&(pow(3&2)))"},
        RewriteRow{"PowerChainDoesNotGroup", "2^3^2", "pow(pow(2&3&2))"},
        RewriteRow{"LeadingMinus", "-x", "minus(&x)"},
        RewriteRow{"LeadingMinusThenPlus", "-x+1", "plus(minus(&x)&1)"},
        RewriteRow{"LeadingMinusThenMinus", "-x-1", "minus(minus(&x)&1)"},
        RewriteRow{"LeadingMinusInPower", "-x^2", "pow(-x&2)"},
        RewriteRow{"MinusParenthesised", "-(x+1)", "minus(&(plus(x&1)))"},
        RewriteRow{"ZeroMinusSquared", "(0-x)^2", "pow((minus(0&x))&2)"},
        RewriteRow{"SignAfterTimes", "2*-3", "mult(2&-3)"},
        RewriteRow{"SignedVariableThenMinus", "2*-x-1", "minus(mult(2&-x)&1)"},
        RewriteRow{"NegativeExponent", "x^-0.5", "pow(x&-0.5)"},
        RewriteRow{"ExponentSignIsAnOperator", "1e-3", "minus(1e&3)"},
        RewriteRow{"UnsignedExponentStays", "2e3*x", "mult(2e3&x)"},
        RewriteRow{"SignAfterParenthesis", "x-(-1)", "minus(x&(-1))"},
        RewriteRow{"DoubleMinus", "1--x", "minus(1&-x)"}, RewriteRow{"SignInsideCall", "exp(-x)", "exp(-x)"},
        RewriteRow{"LeadingPlus", "+x", "plus(&x)"},
        RewriteRow{"LeadingPlusDroppedByPower", "+x^2", "pow(x&2)"},
        RewriteRow{"LeadingTimes", "*x", "mult(&x)"}, RewriteRow{"DoubledTimes", "x**2", "mult(mult(x&)&2)"},
        RewriteRow{"BlanksStay", "x + 1", "plus(x & 1)"},
        RewriteRow{"DanglingPlusDropped", "x^2+", "pow(x&2)"},
        RewriteRow{"DanglingDivideDropped", "2*x/", "mult(2&x)"},
        RewriteRow{"SurplusClosing", "x+1)", "plus(x&1))"},
        RewriteRow{"UnclosedOpening", "(x+1", "(plus(x&1)"},
        RewriteRow{"UnclosedOuterOpening", "((x+1)*2", "(mult((plus(x&1))&2)"},
        RewriteRow{"SurplusClosingBeforeOperator", "x)*2", "mult(x)&2)"},
        RewriteRow{"OperatorAfterParenthesisIsASign", "(*x)", "(*x)"},
        RewriteRow{"SignAsWholeRightOperand", "x*-", "mult(x&-)"}),
    test::RowName());

TEST(Rewriting, PassByPass) {
  std::string text = "x^2-3*x+2";
  const std::pair<char, const char*> passes[] = {
      {'^', "pow"}, {'*', "mult"}, {'/', "divide"}, {'-', "minus"}, {'+', "plus"}};
  const char* expected[] = {"pow(x&2)-3*x+2", "pow(x&2)-mult(3&x)+2", "pow(x&2)-mult(3&x)+2",
                            "minus(pow(x&2)&mult(3&x))+2", "plus(minus(pow(x&2)&mult(3&x))&2)"};
  for (int i = 0; i < 5; ++i) {
    text = RewriteOperator(text, passes[i].first, passes[i].second);
    EXPECT_EQ(text, expected[i]) << "after the pass for " << passes[i].first;
  }
}

struct RefusalRow {
  const char* Name;
  const char* Text;
  const char* Message;
};

class RefusalTable : public testing::TestWithParam<RefusalRow> {};

TEST_P(RefusalTable, RefusesAnOperatorWithoutRightEnd) {
  try {
    RewriteExpression(GetParam().Text);
    FAIL() << "accepted";
  } catch (const EExpressionError& e) {
    EXPECT_EQ(e.Message(), GetParam().Message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rewriting, RefusalTable,
    testing::Values(
        RefusalRow{"PlusAtEnd", "x+", "Incomplete expression after \"+\": an operand or \")\" is missing"},
        RefusalRow{"PowerAtEnd", "2^", "Incomplete expression after \"^\": an operand or \")\" is missing"},
        RefusalRow{"UnclosedAfterPower", "x^(2",
                   "Incomplete expression after \"^\": an operand or \")\" is missing"},
        RefusalRow{"UnclosedAfterTimes", "x*(x+1",
                   "Incomplete expression after \"*\": an operand or \")\" is missing"},
        RefusalRow{"MinusAlone", "-", "Incomplete expression after \"-\": an operand or \")\" is missing"},
        RefusalRow{"TimesBeforeOpenParenthesis", "x^2*(",
                   "Incomplete expression after \"*\": an operand or \")\" is missing"}),
    test::RowName());

std::string Repeated(const std::string& unit, int times, const std::string& joiner) {
  std::string s;
  for (int i = 0; i < times; ++i) s += (i ? joiner : "") + unit;
  return s;
}

TEST(Rewriting, AtMost3000Splices) {
  EXPECT_NO_THROW(RewriteExpression(Repeated("x", 3001, "+")));
  try {
    RewriteExpression(Repeated("x", 3002, "+"));
    FAIL() << "accepted";
  } catch (const EExpressionError& e) {
    EXPECT_EQ(e.Message(), "The expression has more than 3000 operations");
  }
  // The splices of all passes count together.
  EXPECT_THROW(RewriteExpression(Repeated("x", 1501, "*") + "+" + Repeated("x", 1501, "-")),
               EExpressionError);
}

TEST(Rewriting, LongTextsEndInTime) {
  // 100,000 characters: refused after 3000 splices, or rewritten in one
  // cheap walk when nothing splices.
  EXPECT_THROW(RewriteExpression(Repeated("x", 50000, "+")), EExpressionError);
  // 2998 powers whose right scans each run over 94,000 characters; the
  // dangling "+" is dropped.
  const std::string powers = RewriteExpression(Repeated("1", 2999, "^") + std::string(94000, '1') + "+");
  EXPECT_EQ(powers.substr(0, 8), "pow(pow(");
  EXPECT_EQ(powers.back(), ')');
  const std::string signs(100000, '(');
  EXPECT_EQ(RewriteExpression(signs), signs);
  EXPECT_EQ(RewriteExpression("x^" + std::string(99990, '2')).size(), 99997u);
}

} // namespace
} // namespace curvella
