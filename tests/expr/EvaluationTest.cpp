#include "expr/ExpressionEvaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "LiteralEvaluation.h"
#include "expr/Evaluator.h"
#include "expr/ExpressionRewriting.h"
#include "numtext/Extended.h"
#include "numtext/NumberText.h"
#include "support/RowName.h"

namespace curvella {
namespace {

double Y(const std::string& expression, double x) {
  TEvaluator evaluator(FindOperations(RewriteExpression(expression)));
  return evaluator.EvaluateAt(x);
}

// A value as it travels between calls: written as number text, read back.
double ThroughText(double v) { return StoreDouble(TextToReal(RealToText(v)).Value); }

TEST(FindOperations, ListsEveryKeywordWithItsCallText) {
  const TOccurrenceList list = FindOperations("plus(minus(pow(x&2)&mult(3&x))&2)");
  ASSERT_EQ(list.Count(), 4);
  const int operations[] = {kPlus, kMinus, kPow, kMult};
  const std::size_t positions[] = {1, 6, 12, 21};
  const char* calls[] = {"plus(minus(pow(x&2)&mult(3&x))&2)", "minus(pow(x&2)&mult(3&x))", "pow(x&2)",
                         "mult(3&x)"};
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(list[i].Operation, operations[i - 1]);
    EXPECT_EQ(list[i].Position, positions[i - 1]);
    EXPECT_EQ(list.CallText(i), calls[i - 1]);
  }
}

TEST(FindOperations, FindsKeywordsInsideWords) {
  EXPECT_EQ(FindOperations("function f(x)").Count(), 0);
  const TOccurrenceList list = FindOperations("cosh(x)");
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[1].Operation, kCos);
  EXPECT_EQ(list.CallText(1), "cosh");
  EXPECT_EQ(list[2].Operation, kSh);
  EXPECT_EQ(list.CallText(2), "sh(x)");
}

TEST(FindOperations, RefusesMoreThan3000Calls) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "ln";
  EXPECT_EQ(FindOperations(text).Count(), 3000);
  try {
    FindOperations(text + "ln");
    FAIL() << "accepted";
  } catch (const EExpressionError& e) {
    EXPECT_EQ(e.Message(), "The expression has more than 3000 operations");
  }
}

struct CallTextRow {
  const char* Name;
  const char* Tail;
  const char* Keyword;
  const char* Call;
};

class CallTextTable : public testing::TestWithParam<CallTextRow> {};

TEST_P(CallTextTable, CountsParentheses) {
  const CallTextRow& row = GetParam();
  EXPECT_EQ(CallText(row.Tail, row.Keyword), row.Call);
  // FindOperations finds the same call text in one pass over the text.
  const TOccurrenceList list = FindOperations(row.Tail);
  ASSERT_GE(list.Count(), 1);
  EXPECT_EQ(list.CallText(1), row.Call);
}

INSTANTIATE_TEST_SUITE_P(Evaluation, CallTextTable,
                         testing::Values(CallTextRow{"Balanced", "pow(x&2)&mult(3&x))&2)", "pow", "pow(x&2)"},
                                         CallTextRow{"NoParenthesis", "sinx+1", "sin", "sinx"},
                                         CallTextRow{"KeywordAtEnd", "sin", "sin", "sin"},
                                         CallTextRow{"NeverCloses", "sin((x)", "sin", "sin((x)"},
                                         CallTextRow{"ClosingFirst", "sin)(x", "sin", "sin)("},
                                         CallTextRow{"Nested", "ln(ln(x))+1", "ln", "ln(ln(x))"}),
                         test::RowName());

TEST(OperandTexts, SplitAtTheFirstAmpersandWithoutParentheses) {
  EXPECT_EQ(LeftOperandText("mult(3&x)", "mult"), "3");
  EXPECT_EQ(RightOperandText("mult(3&x)"), "x");
  EXPECT_EQ(LeftOperandText("pow(pow(2&3&2))", "pow"), "pow2");
  EXPECT_EQ(RightOperandText("pow( 8.0E+0000&3&2)"), "3&2");
  EXPECT_EQ(LeftOperandText("sin(x)", "sin"), "x");
  EXPECT_EQ(RightOperandText("sin(x)"), "sinx");
  EXPECT_EQ(LeftOperandText("minus(&x)", "minus"), "");
}

TEST(OperandValue, OnlyTheLetterXIsTheVariable) {
  EXPECT_EQ(OperandValue("x", 7), 7);
  EXPECT_EQ(OperandValue("X", 7), 0);
  EXPECT_EQ(OperandValue("x ", 7), 0);
  EXPECT_EQ(OperandValue("-x", 7), 0);
  EXPECT_EQ(OperandValue("", 7), 0);
  EXPECT_EQ(OperandValue("1e", 7), 1);
  EXPECT_THROW(OperandValue("1e400", 7), EOverflow);
  EXPECT_THROW(OperandValue("1e5000", 7), EOverflow);
}

enum class Fails { No, InvalidOp, ZeroDivide, Overflow };

struct OperationRow {
  const char* Name;
  int Operation;
  double Left;
  double Right;
  Fails Failure;
  double Value; // when it does not fail
};

class OperationTable : public testing::TestWithParam<OperationRow> {};

TEST_P(OperationTable, ComputesOrFails) {
  const OperationRow& row = GetParam();
  const auto op = [&] { return EvaluateOperation(row.Operation, row.Left, row.Right); };
  switch (row.Failure) {
  case Fails::No:
    EXPECT_EQ(op(), row.Value);
    break;
  case Fails::InvalidOp:
    EXPECT_THROW(op(), EInvalidOp);
    break;
  case Fails::ZeroDivide:
    EXPECT_THROW(op(), EZeroDivide);
    break;
  case Fails::Overflow:
    EXPECT_THROW(op(), EOverflow);
    break;
  }
}

constexpr double kTwoTo63 = 9223372036854775808.0;
constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Evaluation, OperationTable,
    testing::Values(
        OperationRow{"SinZero", kSin, 0, 0, Fails::No, 0},
        OperationRow{"SinHuge", kSin, kTwoTo63, 0, Fails::No, 0},
        OperationRow{"SinInfinity", kSin, -kInf, 0, Fails::No, 0},
        OperationRow{"SinJustBelowHuge", kSin, 9223372036854774784.0, 0, Fails::No,
                     static_cast<double>(sinl(9223372036854774784.0L))},
        OperationRow{"CosHuge", kCos, -kTwoTo63, 0, Fails::No, 0},
        OperationRow{"CosZero", kCos, 0, 5, Fails::No, 1}, OperationRow{"TanZero", kTan, 0, 0, Fails::No, 0},
        OperationRow{"TanHugeIsZeroOverZero", kTan, kTwoTo63, 0, Fails::InvalidOp, 0},
        OperationRow{"CtnZero", kCtn, 0, 0, Fails::ZeroDivide, 0},
        OperationRow{"CtnHuge", kCtn, 1e19, 0, Fails::InvalidOp, 0},
        OperationRow{"AsnZero", kAsn, 0, 0, Fails::No, 0},
        OperationRow{"AsnOne", kAsn, 1, 0, Fails::ZeroDivide, 0},
        OperationRow{"AsnAboveOne", kAsn, 1.5, 0, Fails::InvalidOp, 0},
        OperationRow{"AcsMinusOne", kAcs, -1, 0, Fails::ZeroDivide, 0},
        OperationRow{"AcsAboveOne", kAcs, -2, 0, Fails::InvalidOp, 0},
        OperationRow{"AcsZeroIsHalfPi", kAcs, 0, 0, Fails::No, M_PI_2},
        OperationRow{"AtnOne", kAtn, 1, 0, Fails::No, M_PI_4},
        OperationRow{"ActZeroIsHalfPi", kAct, 0, 0, Fails::No, M_PI_2},
        OperationRow{"ActOnePlusNotMinus", kAct, 1, 0, Fails::No, 2.356194490192345},
        OperationRow{"ShZero", kSh, 0, 0, Fails::No, 0},
        OperationRow{"ShFitsDoubleAt710", kSh, 710, 0, Fails::No,
                     static_cast<double>((expl(710) - expl(-710)) / 2)},
        OperationRow{"ShBeyondDouble", kSh, 711, 0, Fails::Overflow, 0},
        OperationRow{"ShBeyondExtended", kSh, -12000, 0, Fails::Overflow, 0},
        OperationRow{"ChZero", kCh, 0, 0, Fails::No, 1}, OperationRow{"ThZero", kTh, 0, 0, Fails::No, 0},
        OperationRow{"ThLarge", kTh, 30, 0, Fails::No, 1},
        OperationRow{"ThBeyondExtended", kTh, 12000, 0, Fails::Overflow, 0},
        OperationRow{"CtghZero", kCtgh, 0, 0, Fails::ZeroDivide, 0},
        OperationRow{"AbsNegative", kAbs, -2.5, 0, Fails::No, 2.5},
        OperationRow{"SqrtFour", kSqrt, 4, 0, Fails::No, 2},
        OperationRow{"SqrtNegative", kSqrt, -1, 0, Fails::InvalidOp, 0},
        OperationRow{"LnOne", kLn, 1, 0, Fails::No, 0},
        OperationRow{"LnZero", kLn, 0, 0, Fails::ZeroDivide, 0},
        OperationRow{"LnNegative", kLn, -1, 0, Fails::InvalidOp, 0},
        OperationRow{"ExpZero", kExp, 0, 0, Fails::No, 1},
        OperationRow{"ExpFitsExtendedNotDouble", kExp, 710, 0, Fails::Overflow, 0},
        OperationRow{"ExpUnderflowIsQuiet", kExp, -12000, 0, Fails::No, 0},
        OperationRow{"PowZeroExponent", kPow, 5, 0, Fails::No, 1},
        OperationRow{"PowZeroToZero", kPow, 0, 0, Fails::No, 1},
        OperationRow{"PowZeroToNegative", kPow, 0, -1, Fails::No, 0},
        OperationRow{"PowNegativeCube", kPow, -2, 3, Fails::No, -8},
        OperationRow{"PowNegativeSquare", kPow, -3, 2, Fails::No, 9},
        OperationRow{"PowNegativeToNegativeWhole", kPow, -2, -2, Fails::No, 0.25},
        OperationRow{"PowNegativeToFraction", kPow, -8, 1.0 / 3.0, Fails::InvalidOp, 0},
        OperationRow{"PowNegativeToHugeWhole", kPow, -1, 4294967296.0, Fails::InvalidOp, 0},
        OperationRow{"PowNegativeOverflowsBeforeReciprocal", kPow, -10, -5000, Fails::Overflow, 0},
        OperationRow{"PowNegativeBeyondDouble", kPow, -10, 309, Fails::Overflow, 0},
        OperationRow{"PowPositiveByLogarithm", kPow, 2, 0.5, Fails::No,
                     static_cast<double>(expl(0.5L * logl(2.0L)))},
        OperationRow{"PowPositiveBeyondDouble", kPow, 10, 400, Fails::Overflow, 0},
        OperationRow{"MultRoundsOnce", kMult, 3, 2.5, Fails::No, 7.5},
        OperationRow{"MultBeyondDouble", kMult, 1e300, 1e10, Fails::Overflow, 0},
        OperationRow{"DivideByZero", kDivide, 1, 0, Fails::ZeroDivide, 0},
        OperationRow{"ZeroByZero", kDivide, 0, 0, Fails::InvalidOp, 0},
        OperationRow{"Plus", kPlus, -1.25, 2, Fails::No, 0.75},
        OperationRow{"InfinityMinusInfinity", kMinus, kInf, kInf, Fails::InvalidOp, 0},
        OperationRow{"Minus", kMinus, 0, 2, Fails::No, -2}),
    test::RowName());

TEST(EvaluateAt, PassByPass) {
  const TOccurrenceList list = FindOperations(RewriteExpression("x^2-3*x+2"));
  std::vector<std::string> working;
  EXPECT_EQ(test::EvaluateLiterally(list, 2.5, &working), 0.75);
  const std::vector<std::string> expected = {"mult(3&x)", "pow(x&2)",
                                             "minus( 6.25000000000000E+0000& 7.50000000000000E+0000)",
                                             "plus(-1.25000000000000E+0000&2)"};
  EXPECT_EQ(working, expected);
  TEvaluator evaluator(list);
  EXPECT_EQ(evaluator.EvaluateAt(2.5), 0.75);
  EXPECT_EQ(evaluator.EvaluateAt(0), 2);
  EXPECT_EQ(evaluator.EvaluateAt(1), 0);
}

struct ExpressionRow {
  const char* Name;
  const char* Expression;
  double X;
  double Y;
};

class ExpressionTable : public testing::TestWithParam<ExpressionRow> {};

TEST_P(ExpressionTable, EvaluatesAsTheRulesSay) {
  const ExpressionRow& row = GetParam();
  EXPECT_EQ(Y(row.Expression, row.X), row.Y);
}

INSTANTIATE_TEST_SUITE_P(
    Evaluation, ExpressionTable,
    testing::Values(
        ExpressionRow{"NoCallVariable", "x", 3, 0}, ExpressionRow{"NoCallNumber", "5", 3, 0},
        ExpressionRow{"NoCallEmpty", "", 3, 0}, ExpressionRow{"InitialText", "function f(x)", 1.5, 0},
        ExpressionRow{"BlankBesideVariable", "x + 1", 4, 1},
        ExpressionRow{"LeadingMinusOfPower", "-x^2", 3, 0},
        ExpressionRow{"ZeroMinusSquared", "(0-x)^2", 3, 9},
        ExpressionRow{"LeadingMinusIsZeroMinus", "-x+1", 3, -2},
        ExpressionRow{"PowerChainIsOne", "2^3^2", 5, 1}, ExpressionRow{"SignedExponentSplit", "1e-3", 5, -2},
        ExpressionRow{"PositiveExponentSplit", "x*1e+2", 5, 7},
        ExpressionRow{"UnsignedExponent", "2e3*x", 1.5, 3000}, ExpressionRow{"PowerZero", "x^0", 0, 1},
        ExpressionRow{"ZeroToZero", "0^0", 7, 1}, ExpressionRow{"ZeroToMinusOne", "0^-1", 7, 0},
        ExpressionRow{"NegativeCubed", "(0-2)^3", 7, -8}, ExpressionRow{"ActAtZero", "act(x)", 0, M_PI_2},
        ExpressionRow{"ActAtOne", "act(x)", 1, 2.356194490192345},
        ExpressionRow{"Quadratic", "x^2-3*x+2", 2.5, 0.75},
        ExpressionRow{"TimesBeforeDivide", "1/2*x", 0.25, 2}),
    test::RowName());

TEST(EvaluateAt, InnerResultsEnterWithFifteenDigits) {
  // 1/3 enters the product as 0.333333333333333.
  const double third = ThroughText(1.0 / 3.0);
  EXPECT_EQ(third, 0.333333333333333);
  EXPECT_EQ(Y("(1/3)*3", 0), static_cast<double>(static_cast<long double>(third) * 3));
  EXPECT_NE(Y("(1/3)*3", 0), 1.0);
}

TEST(EvaluateAt, SineSquaredFromItsText) {
  const double s = ThroughText(static_cast<double>(sinl(1.0L)));
  const double expected = static_cast<double>(static_cast<long double>(s) * s);
  EXPECT_EQ(Y("sin(x)*sin(x)", 1), expected);
}

TEST(EvaluateAt, ErrorsLeaveAtTheFailingOperation) {
  EXPECT_THROW(Y("1/x", 0), EZeroDivide);
  EXPECT_THROW(Y("(0-8)^(1/3)", 0), EInvalidOp);
  EXPECT_THROW(Y("exp(x)", 710), EOverflow);
  EXPECT_THROW(Y("sqrt(x)", -1), EInvalidOp);
  // An operand beyond the double range fails when it is read...
  EXPECT_THROW(Y("x+1e400", 1), EOverflow);
  // ...and so does an inner result that reads back above the largest double.
  EXPECT_THROW(Y("(x*1)+0", 1.7976931348623157e308), EOverflow);
  EXPECT_EQ(Y("x*1", 1.7976931348623157e308), 1.7976931348623157e308);
  // The right operand of a one-operand call is read all the same.
  EXPECT_THROW(Y("sin(x&1e400)", 1), EOverflow);
}

} // namespace
} // namespace curvella
