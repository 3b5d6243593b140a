#include "ReferencePlan.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>

#include "numtext/Extended.h"

namespace curvella::test {

namespace {

bool Overlaps(const std::vector<TReplaced>& replaced, std::size_t begin, std::size_t end) {
  auto after = std::lower_bound(replaced.begin(), replaced.end(), end,
                                [](const TReplaced& r, std::size_t position) { return r.Begin < position; });
  return after != replaced.begin() && std::prev(after)->End > begin;
}

std::vector<TPiece> Pieces(std::size_t begin, std::size_t end, const std::vector<TReplaced>& replaced);
std::size_t FirstRiskyStart(const TEvaluationPlan& plan, int j, std::size_t begin,
                            const std::vector<TReplaced>& replaced);
TOperand MakeOperand(const TEvaluationPlan& plan, const std::vector<TPiece>& working, std::size_t from,
                     std::size_t to);

// The substitutions into occurrence m's call text, j = m+1 ... K in order,
// each at the first place its call text stands, as long as that place does
// not depend on the result texts.
TStep PlanStep(const TEvaluationPlan& plan, int m, std::vector<std::size_t>& cursors) {
  const std::size_t begin = plan.Begin(m);
  const std::size_t end = begin + plan.Length(m);
  std::vector<TReplaced> replaced;
  std::size_t workingLength = plan.Length(m);
  std::fill(cursors.begin(), cursors.end(), 0);
  TStep step;

  for (int j = m + 1; j <= plan.Count(); ++j) {
    const std::size_t length = plan.Length(j);
    if (length >= workingLength) continue;

    const std::size_t found =
        FirstClearTwin(plan.GroupOf(j), cursors[plan.GroupIndexOf(j)], begin, end, length,
                       [&](std::size_t a, std::size_t b) { return Overlaps(replaced, a, b); });
    if (!plan.RunOnAnchors(j).empty()) {
      const std::size_t risky = FirstRiskyStart(plan, j, begin, replaced);
      if (risky != kNoPosition && (found == kNoPosition || risky < found)) {
        step.Literal = true;
        step.Replaced = std::move(replaced);
        step.ResumeAt = j;
        return step;
      }
    }
    if (found == kNoPosition) continue;
    const TReplaced r{found, found + length, j};
    replaced.insert(
        std::lower_bound(replaced.begin(), replaced.end(), r,
                         [](const TReplaced& a, const TReplaced& b) { return a.Begin < b.Begin; }),
        r);
    workingLength = workingLength - length + kResultLength;
  }

  // The operands: the left one after the keyword up to the first "&", the
  // right one after that "&" (all of the working text when there is none).
  const std::vector<TPiece> working = Pieces(begin, end, replaced);
  const std::size_t keywordLength = plan.Occurrences()[m].Keyword().size();
  std::size_t offset = 0;
  std::size_t firstAmpersand = kNoPosition;
  std::size_t ampersandAfterKeyword = kNoPosition;
  for (const TPiece& piece : working) {
    if (piece.Slot == 0) {
      for (std::size_t p = piece.Begin; p < piece.End; ++p) {
        if (plan.Text()[p] != '&') continue;
        const std::size_t at = offset + (p - piece.Begin);
        if (firstAmpersand == kNoPosition) firstAmpersand = at;
        if (ampersandAfterKeyword == kNoPosition && at >= keywordLength) ampersandAfterKeyword = at;
      }
    }
    offset += piece.End - piece.Begin;
  }
  const std::size_t total = offset;
  const std::size_t leftFrom = std::min(keywordLength, total);
  step.Left = MakeOperand(plan, working, leftFrom,
                          ampersandAfterKeyword == kNoPosition ? total : ampersandAfterKeyword);
  step.Right = firstAmpersand == kNoPosition ? MakeOperand(plan, working, 0, total)
                                             : MakeOperand(plan, working, firstAmpersand + 1, total);
  return step;
}

// The earliest start, inside the working text's own characters, from which
// call text j could run on into a result text that follows them: one of its
// anchors, with a substitution beginning at the anchor's keyword.
std::size_t FirstRiskyStart(const TEvaluationPlan& plan, int j, std::size_t begin,
                            const std::vector<TReplaced>& replaced) {
  const auto& anchors = plan.RunOnAnchors(j);
  for (auto a = std::lower_bound(anchors.begin(), anchors.end(), std::make_pair(begin, std::size_t{0}));
       a != anchors.end(); ++a) {
    const auto [t, keyword] = *a;
    const auto r =
        std::lower_bound(replaced.begin(), replaced.end(), keyword,
                         [](const TReplaced& x, std::size_t position) { return x.Begin < position; });
    if (r == replaced.end() || r->Begin != keyword) continue;
    if (r == replaced.begin() || std::prev(r)->End <= t) return t;
  }
  return kNoPosition;
}

std::vector<TPiece> Pieces(std::size_t begin, std::size_t end, const std::vector<TReplaced>& replaced) {
  std::vector<TPiece> pieces;
  std::size_t at = begin;
  for (const TReplaced& r : replaced) {
    if (r.Begin > at) pieces.push_back({0, at, r.Begin});
    pieces.push_back({r.Slot, 0, kResultLength});
    at = r.End;
  }
  if (at < end) pieces.push_back({0, at, end});
  return pieces;
}

// The characters [from, to) of a working text as an operand, parentheses
// left out.
TOperand MakeOperand(const TEvaluationPlan& plan, const std::vector<TPiece>& working, std::size_t from,
                     std::size_t to) {
  TOperand operand;
  std::size_t offset = 0;
  for (const TPiece& piece : working) {
    const std::size_t length = piece.End - piece.Begin;
    const std::size_t lo = std::max(from, offset);
    const std::size_t hi = std::min(to, offset + length);
    if (lo < hi) {
      const std::size_t a = piece.Begin + (lo - offset);
      const std::size_t b = piece.Begin + (hi - offset);
      if (piece.Slot != 0) {
        operand.Pieces.push_back({piece.Slot, a, b});
      } else {
        for (std::size_t p = a; p < b;) {
          while (p < b && (plan.Text()[p] == '(' || plan.Text()[p] == ')')) ++p;
          std::size_t q = p;
          while (q < b && plan.Text()[q] != '(' && plan.Text()[q] != ')') ++q;
          if (q > p) operand.Pieces.push_back({0, p, q});
          p = q;
        }
      }
    }
    offset += length;
  }

  const bool hasResult =
      std::any_of(operand.Pieces.begin(), operand.Pieces.end(), [](const TPiece& p) { return p.Slot != 0; });
  if (!hasResult) {
    std::string text;
    for (const TPiece& piece : operand.Pieces)
      text.append(plan.Text().substr(piece.Begin, piece.End - piece.Begin));
    operand.Pieces.clear();
    if (text == "x") {
      operand.Kind = TOperand::TKind::X;
      return operand;
    }
    operand.Kind = TOperand::TKind::Constant;
    try {
      operand.Value = StoreDouble(TextToReal(text).Value);
    } catch (const EOverflow&) {
      operand.Overflows = true; // raised when the operand is read, at every x
    }
    return operand;
  }
  if (operand.Pieces.size() == 1 && operand.Pieces[0].Begin == 0 && operand.Pieces[0].End == kResultLength) {
    operand.Kind = TOperand::TKind::Result;
    operand.Slot = operand.Pieces[0].Slot;
    operand.Pieces.clear();
    return operand;
  }
  operand.Kind = TOperand::TKind::Assembled;
  return operand;
}

std::string OperandDifference(const TOperand& a, const TOperand& b) {
  if (a.Kind != b.Kind) return "kind";
  if (std::bit_cast<std::uint64_t>(a.Value) != std::bit_cast<std::uint64_t>(b.Value)) return "value";
  if (a.Overflows != b.Overflows) return "overflow";
  if (a.Slot != b.Slot) return "slot";
  if (a.Pieces.size() != b.Pieces.size()) return "piece count";
  for (std::size_t i = 0; i < a.Pieces.size(); ++i) {
    const TPiece& p = a.Pieces[i];
    const TPiece& q = b.Pieces[i];
    if (p.Slot != q.Slot || p.Begin != q.Begin || p.End != q.End) return "piece " + std::to_string(i);
  }
  return "";
}

} // namespace

std::vector<TStep> ReferencePlanSteps(const TEvaluationPlan& plan) {
  std::vector<TStep> steps(plan.Count() + 1);
  std::vector<std::size_t> cursors(plan.GroupCount());
  for (int m = 1; m <= plan.Count(); ++m) steps[m] = PlanStep(plan, m, cursors);
  return steps;
}

std::string StepDifference(const TStep& a, const TStep& b) {
  if (const std::string left = OperandDifference(a.Left, b.Left); !left.empty())
    return "left operand: " + left;
  if (const std::string right = OperandDifference(a.Right, b.Right); !right.empty())
    return "right operand: " + right;
  if (a.Literal != b.Literal) return "literal flag";
  if (a.ResumeAt != b.ResumeAt) return "resume at";
  if (a.Replaced.size() != b.Replaced.size()) return "replaced count";
  for (std::size_t i = 0; i < a.Replaced.size(); ++i) {
    const TReplaced& p = a.Replaced[i];
    const TReplaced& q = b.Replaced[i];
    if (p.Begin != q.Begin || p.End != q.End || p.Slot != q.Slot) return "replaced " + std::to_string(i);
  }
  return "";
}

} // namespace curvella::test
