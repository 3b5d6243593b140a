#include "expr/Evaluator.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <map>
#include <tuple>

#include "expr/EvaluationPlan.h"
#include "numtext/Extended.h"
#include "numtext/NumberText.h"

namespace curvella {

namespace {

// A range of a working text's own characters replaced at one x, which reads
// as its content: the result text that replaced it, then what is left of a
// result text that a call text ran on into.
struct TRange {
  std::size_t Begin;
  std::size_t End;
  std::vector<TPiece> Content;
};

// Where a planned operand's value comes from, as the program reads it.
struct TSource {
  enum class TKind { X, Constant, Overflow, Result, Assembled };
  TKind Kind = TKind::Constant;
  double Value = 0;                  // Constant
  int Slot = 0;                      // Result: the occurrence whose value is read back
  const TOperand* Operand = nullptr; // Assembled
};

// One occurrence's work at each x, in evaluation order (K down to 1).
struct TInstruction {
  enum class TKind { Compute, Literal, Copy };
  TKind Kind = TKind::Compute;
  int Slot = 0;
  int Operation = 0;
  TSource Left;          // Compute
  TSource Right;         // Compute
  int From = 0;          // Copy: an occurrence evaluated before, with the same inputs
  bool Text = false;     // the result text is read at each x
  bool ReadBack = false; // the result is read back whole as an operand
};

// Whether a mixed operand reads as 0 whatever its results hold: the reading
// stops at its first character, before any digit, when that character can
// start no number. The right operand of a one-operand call is its whole
// working text, which starts with the keyword.
bool ReadsAsZero(const TOperand& operand, std::string_view text) {
  const TPiece& first = operand.Pieces.front();
  if (first.Slot != 0) return false;
  const char c = text[first.Begin];
  return std::string_view(" +-.0123456789eE").find(c) == std::string_view::npos;
}

TSource SourceOf(const TOperand& operand, std::string_view text) {
  switch (operand.Kind) {
  case TOperand::TKind::X:
    return {TSource::TKind::X};
  case TOperand::TKind::Constant:
    if (operand.Overflows) return {TSource::TKind::Overflow};
    return {TSource::TKind::Constant, operand.Value};
  case TOperand::TKind::Result:
    return {TSource::TKind::Result, 0, operand.Slot};
  case TOperand::TKind::Assembled:
    break;
  }
  if (ReadsAsZero(operand, text)) return {TSource::TKind::Constant, 0};
  return {TSource::TKind::Assembled, 0, 0, &operand};
}

} // namespace

// The plan turned into the work done at each x. Two occurrences with the
// same operation whose operands come from the same places (x, the same
// constant, results of occurrences with equal values) have equal values, and
// an error of one is raised by the first evaluated: the later ones copy its
// value. A result read back whole as an operand is read as its value through
// NumberTextValue, the same rounding as writing and reading its text; the
// text itself is written only where a mix of characters and results or a
// literal search reads it.
struct TEvaluator::TProgram {
  TEvaluationPlan Plan;
  std::vector<TInstruction> Instructions;

  explicit TProgram(TOccurrenceList list) : Plan(std::move(list)) { Compile(); }

  void Compile();
};

void TEvaluator::TProgram::Compile() {
  const int k = Plan.Count();
  std::vector<int> representative(k + 1); // occurrence -> the first evaluated with its inputs
  std::vector<bool> text(k + 1);
  std::vector<bool> readBack(k + 1);
  bool literal = false;
  using TSourceKey = std::pair<int, std::uint64_t>;
  std::map<std::tuple<int, TSourceKey, TSourceKey>, int> seen;
  const auto keyOf = [&](const TSource& s) -> TSourceKey {
    return {static_cast<int>(s.Kind), s.Kind == TSource::TKind::Constant
                                          ? std::bit_cast<std::uint64_t>(s.Value)
                                      : s.Kind == TSource::TKind::Result ? static_cast<std::uint64_t>(s.Slot)
                                                                         : 0};
  };

  for (int m = k; m >= 1; --m) {
    const TStep& step = Plan.Step(m);
    TInstruction in;
    in.Slot = m;
    in.Operation = Plan.Occurrences()[m].Operation;
    representative[m] = m;
    if (step.Literal) {
      in.Kind = TInstruction::TKind::Literal;
      literal = true;
    } else {
      in.Left = SourceOf(step.Left, Plan.Text());
      in.Right = SourceOf(step.Right, Plan.Text());
      bool comparable = true;
      for (TSource* s : {&in.Left, &in.Right}) {
        if (s->Kind == TSource::TKind::Result) {
          s->Slot = representative[s->Slot];
          readBack[s->Slot] = true;
        } else if (s->Kind == TSource::TKind::Assembled) {
          comparable = false;
          for (const TPiece& piece : s->Operand->Pieces) {
            if (piece.Slot != 0) text[piece.Slot] = true;
          }
        }
      }
      if (comparable) {
        const auto [found, added] = seen.try_emplace({in.Operation, keyOf(in.Left), keyOf(in.Right)}, m);
        if (!added) {
          in.Kind = TInstruction::TKind::Copy;
          in.From = found->second;
          representative[m] = in.From;
        }
      }
    }
    Instructions.push_back(in);
  }

  for (TInstruction& in : Instructions) {
    // A literal search may read any result text.
    in.Text = literal || text[in.Slot];
    in.ReadBack = readBack[in.Slot];
  }
}

// The values and texts of one evaluation at a time.
struct TEvaluator::TState {
  const TEvaluationPlan& Plan;
  std::vector<double> Values;             // per occurrence, at the current x
  std::vector<long double> ReadBacks;     // per occurrence read back whole: its text's value
  std::vector<char> ResultTexts;          // 23 characters per occurrence, at the current x
  std::vector<std::size_t> SearchCursors; // per twin group, for the literal search

  explicit TState(const TEvaluationPlan& plan)
      : Plan(plan), Values(plan.Count() + 1), ReadBacks(plan.Count() + 1),
        ResultTexts(static_cast<std::size_t>(plan.Count()) * kResultLength, ' '),
        SearchCursors(plan.GroupCount()) {}

  std::string_view ResultText(int slot) const {
    return std::string_view(ResultTexts.data() + (slot - 1) * kResultLength, kResultLength);
  }
  std::span<char, kResultLength> ResultTextOf(int slot) {
    return std::span<char, kResultLength>(ResultTexts.data() + (slot - 1) * kResultLength, kResultLength);
  }

  double Evaluate(const std::vector<TInstruction>& program, double x);
  double SourceAt(const TSource& source, double x) const;
  std::string Materialize(const std::vector<TPiece>& pieces) const;
  // The working text of a literal step at the current x.
  std::string SearchLiterally(int m, const TStep& step);
  bool RunsOn(int j, std::size_t from, const std::vector<TRange>& ranges, std::size_t first, std::size_t end,
              std::size_t& lastRange, std::size_t& endOffset) const;
};

std::string TEvaluator::TState::Materialize(const std::vector<TPiece>& pieces) const {
  std::string text;
  for (const TPiece& piece : pieces) {
    const std::string_view source = piece.Slot == 0 ? Plan.Text() : ResultText(piece.Slot);
    text.append(source.substr(piece.Begin, piece.End - piece.Begin));
  }
  return text;
}

double TEvaluator::TState::SourceAt(const TSource& source, double x) const {
  switch (source.Kind) {
  case TSource::TKind::X:
    return x;
  case TSource::TKind::Constant:
    return source.Value;
  case TSource::TKind::Overflow:
    throw EOverflow();
  case TSource::TKind::Result:
    return StoreFiniteDouble(ReadBacks[source.Slot]); // a read-back value is finite
  case TSource::TKind::Assembled:
    break;
  }
  return StoreDouble(TextToReal(Materialize(source.Operand->Pieces)).Value);
}

// Whether call text j, from its own character at position from on, runs on
// into the content of ranges[first] and matches to its end; if so, where it
// ends: inside the content of ranges[lastRange] after endOffset characters
// of it, or (endOffset past that content) in the own characters after it.
bool TEvaluator::TState::RunsOn(int j, std::size_t from, const std::vector<TRange>& ranges, std::size_t first,
                                std::size_t end, std::size_t& lastRange, std::size_t& endOffset) const {
  const std::size_t callEnd = Plan.Begin(j) + Plan.Length(j);
  std::size_t at = Plan.Begin(j) + (ranges[first].Begin - from);
  for (std::size_t q = first; q < ranges.size(); ++q) {
    std::size_t consumed = 0;
    for (const TPiece& piece : ranges[q].Content) {
      const std::size_t take = std::min(callEnd - at, piece.End - piece.Begin);
      if (Plan.Text().substr(at, take) != ResultText(piece.Slot).substr(piece.Begin, take)) return false;
      at += take;
      consumed += take;
      if (at == callEnd) {
        lastRange = q;
        endOffset = consumed;
        return true;
      }
    }
    const std::size_t next = q + 1 < ranges.size() ? ranges[q + 1].Begin : end;
    const std::size_t own = std::min(callEnd - at, next - ranges[q].End);
    if (!Plan.SameText(ranges[q].End, at, own)) return false;
    at += own;
    if (at == callEnd) {
      lastRange = q;
      endOffset = consumed + own;
      return true;
    }
  }
  return false;
}

// The search for the call texts from step.ResumeAt on, exactly as on a copy
// of the working text with the result texts in place, but on the rewritten
// text itself: a call text starts with a keyword's letter, which no result
// text holds, so it is found either where the same text stands in the
// working text's own characters (a twin position), or running on from them
// into a replaced range at one of its risky offsets.
std::string TEvaluator::TState::SearchLiterally(int m, const TStep& step) {
  const std::size_t begin = Plan.Begin(m);
  const std::size_t end = begin + Plan.Length(m);
  std::vector<TRange> ranges;
  ranges.reserve(step.Replaced.size());
  std::size_t workingLength = Plan.Length(m);
  for (const TReplaced& r : step.Replaced) {
    ranges.push_back({r.Begin, r.End, {{r.Slot, 0, kResultLength}}});
    workingLength = workingLength - (r.End - r.Begin) + kResultLength;
  }
  const auto overlaps = [&](std::size_t a, std::size_t b) {
    auto after = std::lower_bound(ranges.begin(), ranges.end(), b,
                                  [](const TRange& r, std::size_t position) { return r.Begin < position; });
    return after != ranges.begin() && std::prev(after)->End > a;
  };
  std::fill(SearchCursors.begin(), SearchCursors.end(), 0);

  for (int j = step.ResumeAt; j <= Plan.Count(); ++j) {
    const std::size_t length = Plan.Length(j);
    if (length >= workingLength) continue;
    std::size_t found =
        FirstClearTwin(Plan.GroupOf(j), SearchCursors[Plan.GroupIndexOf(j)], begin, end, length, overlaps);
    // A run-on before it starts in the own characters right before a range,
    // at one of the call text's anchors; the first that matches is taken.
    std::size_t runOnRange = kNoPosition;
    std::size_t lastRange = 0;
    std::size_t endOffset = 0;
    const auto& anchors = Plan.RunOnAnchors(j);
    for (auto a = std::lower_bound(anchors.begin(), anchors.end(), std::make_pair(begin, std::size_t{0}));
         a != anchors.end() && a->first < found; ++a) {
      const auto [t, keyword] = *a;
      const auto range =
          std::lower_bound(ranges.begin(), ranges.end(), keyword,
                           [](const TRange& r, std::size_t position) { return r.Begin < position; });
      if (range == ranges.end() || range->Begin != keyword) continue;
      // The characters from t to the range must be own characters.
      if (range != ranges.begin() && std::prev(range)->End > t) continue;
      const auto i = static_cast<std::size_t>(range - ranges.begin());
      if (!RunsOn(j, t, ranges, i, end, lastRange, endOffset)) continue;
      found = t;
      runOnRange = i;
      break;
    }
    if (found == kNoPosition) continue;
    workingLength = workingLength - length + kResultLength;
    if (runOnRange == kNoPosition) {
      const TRange range{found, found + length, {{j, 0, kResultLength}}};
      ranges.insert(std::lower_bound(ranges.begin(), ranges.end(), range,
                                     [](const TRange& a, const TRange& b) { return a.Begin < b.Begin; }),
                    range);
      continue;
    }
    // The own characters from found, ranges runOnRange to lastRange and what
    // lies between them become one range; what the call text did not reach
    // of the last one stays after the new result.
    TRange range{found, ranges[lastRange].End, {{j, 0, kResultLength}}};
    std::size_t skip = endOffset;
    for (const TPiece& piece : ranges[lastRange].Content) {
      const std::size_t size = piece.End - piece.Begin;
      if (skip >= size) {
        skip -= size;
        continue;
      }
      range.Content.push_back({piece.Slot, piece.Begin + skip, piece.End});
      skip = 0;
    }
    // Past the content: the call text ended in the own characters after it.
    if (skip > 0) range.End = ranges[lastRange].End + skip;
    ranges.erase(ranges.begin() + static_cast<std::ptrdiff_t>(runOnRange),
                 ranges.begin() + static_cast<std::ptrdiff_t>(lastRange) + 1);
    ranges.insert(ranges.begin() + static_cast<std::ptrdiff_t>(runOnRange), std::move(range));
  }

  std::string working;
  working.reserve(workingLength);
  std::size_t at = begin;
  for (const TRange& range : ranges) {
    working.append(Plan.Text().substr(at, range.Begin - at));
    for (const TPiece& piece : range.Content)
      working.append(ResultText(piece.Slot).substr(piece.Begin, piece.End - piece.Begin));
    at = range.End;
  }
  working.append(Plan.Text().substr(at, end - at));
  return working;
}

double TEvaluator::TState::Evaluate(const std::vector<TInstruction>& program, double x) {
  if (program.empty()) return 0;
  for (const TInstruction& in : program) {
    const int m = in.Slot;
    double value = 0;
    switch (in.Kind) {
    case TInstruction::TKind::Copy:
      value = Values[in.From];
      break;
    case TInstruction::TKind::Compute: {
      const double left = SourceAt(in.Left, x);
      value = EvaluateOperation(in.Operation, left, SourceAt(in.Right, x));
      break;
    }
    case TInstruction::TKind::Literal: {
      const std::string working = SearchLiterally(m, Plan.Step(m));
      const double left = OperandValue(LeftOperandText(working, Plan.Occurrences()[m].Keyword()), x);
      value = EvaluateOperation(in.Operation, left, OperandValue(RightOperandText(working), x));
      break;
    }
    }
    Values[m] = value;
    if (in.ReadBack) ReadBacks[m] = NumberTextValue(value);
    if (in.Text) RealToText(value, ResultTextOf(m));
  }
  return Values[1];
}

TEvaluator::TEvaluator(TOccurrenceList occurrences)
    : m_program(std::make_shared<const TProgram>(std::move(occurrences))),
      m_state(std::make_unique<TState>(m_program->Plan)) {}

TEvaluator::TEvaluator(const TEvaluator& other)
    : m_program(other.m_program), m_state(std::make_unique<TState>(m_program->Plan)) {}

TEvaluator::~TEvaluator() = default;
TEvaluator::TEvaluator(TEvaluator&&) noexcept = default;
TEvaluator& TEvaluator::operator=(TEvaluator&&) noexcept = default;

const TOccurrenceList& TEvaluator::Occurrences() const { return m_program->Plan.Occurrences(); }

double TEvaluator::EvaluateAt(double x) { return m_state->Evaluate(m_program->Instructions, x); }

int TEvaluator::LiteralSteps() const {
  return static_cast<int>(
      std::count_if(m_program->Instructions.begin(), m_program->Instructions.end(),
                    [](const TInstruction& in) { return in.Kind == TInstruction::TKind::Literal; }));
}

int TEvaluator::DistinctSteps() const {
  return static_cast<int>(
      std::count_if(m_program->Instructions.begin(), m_program->Instructions.end(),
                    [](const TInstruction& in) { return in.Kind != TInstruction::TKind::Copy; }));
}

} // namespace curvella
