#include "expr/Evaluator.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "expr/SuffixLcp.h"
#include "numtext/Extended.h"
#include "numtext/NumberText.h"

namespace curvella {

namespace {

constexpr std::size_t kResultLength = kNumberTextLength;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// A run of a working text: characters [Begin, End) of the rewritten text
// (Slot 0), or of the result text of occurrence Slot.
struct TPiece {
  int Slot;
  std::size_t Begin;
  std::size_t End;
};

// Where an operand's value comes from at each x.
struct TOperand {
  enum class TKind { X, Constant, Result, Assembled };
  TKind Kind = TKind::Constant;
  double Value = 0;           // Constant
  bool Overflows = false;     // Constant whose reading overflows
  int Slot = 0;               // Result: exactly one whole result text
  std::vector<TPiece> Pieces; // Assembled, parentheses left out
};

// A call text replaced in a working text, in rewritten-text positions.
struct TReplaced {
  std::size_t Begin;
  std::size_t End;
  int Slot;
};

// How occurrence m gets its operands.
struct TStep {
  TOperand Left;
  TOperand Right;
  // Set when a substitution might land on a result text: the substitutions
  // made as far as they are known, and the occurrence with which the search
  // goes on at each x.
  bool Literal = false;
  std::vector<TReplaced> Replaced;
  int ResumeAt = 0;
};

// A range of a working text's own characters replaced at one x, which reads
// as its content: the result text that replaced it, then what is left of a
// result text that a call text ran on into.
struct TRange {
  std::size_t Begin;
  std::size_t End;
  std::vector<TPiece> Content;
};

// Positions [Begin, End) of the rewritten text that equal one call text.
struct TTwinGroup {
  std::size_t Length;
  std::vector<std::size_t> Positions;
};

// The shapes of a result text: " d.ddddddddddddddE+dddd" (or "-" for the
// blank, either sign after "E"), and "+Inf" or "-Inf" right-aligned. Results
// are never NaN: an operation that would give one raises an error instead.
bool FitsFinite(char c, std::size_t k) {
  switch (k) {
  case 0:
    return c == ' ' || c == '-';
  case 2:
    return c == '.';
  case 17:
    return c == 'E';
  case 18:
    return c == '+' || c == '-';
  default:
    return c >= '0' && c <= '9';
  }
}

bool FitsInfinite(char c, std::size_t k) {
  if (k < 19) return c == ' ';
  if (k == 19) return c == '+' || c == '-';
  return c == "Inf"[k - 20];
}

// How many characters from q on could be the start of a result text.
std::size_t ResultPrefixAt(std::string_view text, std::size_t q) {
  const auto run = [&](bool (*fits)(char, std::size_t)) {
    std::size_t k = 0;
    while (k < kResultLength && q + k < text.size() && fits(text[q + k], k)) ++k;
    return k;
  };
  return std::max(run(FitsFinite), run(FitsInfinite));
}

// 64-bit polynomial hashes of substrings, to find equal call texts without
// comparing long texts character by character.
class TSubstringHash {
public:
  explicit TSubstringHash(std::string_view text) : m_prefix(text.size() + 1), m_power(text.size() + 1) {
    m_power[0] = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
      m_prefix[i + 1] = m_prefix[i] * kBase + static_cast<unsigned char>(text[i]) + 1;
      m_power[i + 1] = m_power[i] * kBase;
    }
  }
  std::uint64_t Of(std::size_t begin, std::size_t length) const {
    return m_prefix[begin + length] - m_prefix[begin] * m_power[length];
  }

private:
  static constexpr std::uint64_t kBase = 0x100000001B3ULL;
  std::vector<std::uint64_t> m_prefix;
  std::vector<std::uint64_t> m_power;
};

// The first position of a twin group, from the cursor on, at which its call
// text (of the given length) stands in the working text [begin, end) clear
// of every substitution. Places behind the working text's start, and places
// that overlap a substitution, stay unusable for the rest of this working
// text: the cursor moves past them for good.
template <class TOverlaps>
std::size_t FirstClearTwin(const TTwinGroup& group, std::size_t& cursor, std::size_t begin, std::size_t end,
                           std::size_t length, TOverlaps overlaps) {
  for (; cursor < group.Positions.size(); ++cursor) {
    const std::size_t t = group.Positions[cursor];
    if (t < begin) continue;
    if (t + length > end) break;
    if (!overlaps(t, t + length)) return t;
  }
  return kNone;
}

bool Overlaps(const std::vector<TReplaced>& replaced, std::size_t begin, std::size_t end) {
  auto after = std::lower_bound(replaced.begin(), replaced.end(), end,
                                [](const TReplaced& r, std::size_t position) { return r.Begin < position; });
  return after != replaced.begin() && std::prev(after)->End > begin;
}

} // namespace

struct TEvaluator::TPlan {
  TOccurrenceList Occurrences;
  std::vector<TStep> Steps;      // per occurrence, 1 to K
  std::vector<double> Values;    // per occurrence, at the current x
  std::vector<char> ResultTexts; // 23 characters per occurrence, at the current x

  // What building the plan needs to know of the text.
  std::vector<std::size_t> Begin;  // 0-based start of each call text
  std::vector<std::size_t> Length; // length of each call text
  std::vector<int> GroupOf;        // occurrence -> its twin group
  std::vector<TTwinGroup> Groups;
  std::vector<std::vector<std::size_t>> RiskyOffsets; // offsets at which a result text could begin
  // Per occurrence with risky offsets: the places (start, keyword start) at
  // which its call text's characters up to a risky offset stand right before
  // a keyword, where a replaced range may begin; by start.
  std::vector<std::vector<std::pair<std::size_t, std::size_t>>> RunOnAnchors;
  TSubstringHash Hash;                    // to sort call texts into buckets
  TSuffixLcp Lcp;                         // to compare texts exactly
  std::vector<std::size_t> SearchCursors; // per twin group, for the search at each x

  explicit TPlan(TOccurrenceList list)
      : Occurrences(std::move(list)), Hash(Occurrences.Text()), Lcp(Occurrences.Text()) {}

  std::string_view Text() const { return Occurrences.Text(); }
  int Count() const { return Occurrences.Count(); }
  std::string_view ResultText(int slot) const {
    return std::string_view(ResultTexts.data() + (slot - 1) * kResultLength, kResultLength);
  }

  void Build();
  void FindTwins();
  void FindRiskyOffsets();
  void PlanStep(int m, std::vector<std::size_t>& cursors);
  std::size_t FirstRiskyStart(int j, std::size_t begin, const std::vector<TReplaced>& replaced) const;
  std::vector<TPiece> Pieces(std::size_t begin, std::size_t end,
                             const std::vector<TReplaced>& replaced) const;
  TOperand MakeOperand(const std::vector<TPiece>& working, std::size_t from, std::size_t to) const;

  bool SameText(std::size_t a, std::size_t b, std::size_t length) const { return Lcp.Same(a, b, length); }

  double Evaluate(double x);
  double OperandAt(const TOperand& operand, double x) const;
  std::string Materialize(const std::vector<TPiece>& pieces) const;
  // The working text of a literal step at the current x.
  std::string SearchLiterally(int m, const TStep& step);
  bool RunsOn(int j, std::size_t from, const std::vector<TRange>& ranges, std::size_t first, std::size_t end,
              std::size_t& lastRange, std::size_t& endOffset) const;
};

void TEvaluator::TPlan::Build() {
  const int k = Count();
  Steps.resize(k + 1);
  Values.assign(k + 1, 0);
  ResultTexts.assign(static_cast<std::size_t>(k) * kResultLength, ' ');
  Begin.resize(k + 1);
  Length.resize(k + 1);
  for (int i = 1; i <= k; ++i) {
    Begin[i] = Occurrences[i].Position - 1;
    Length[i] = Occurrences[i].CallLength;
  }
  FindTwins();
  FindRiskyOffsets();
  std::vector<std::size_t> cursors(Groups.size());
  for (int m = 1; m <= k; ++m) PlanStep(m, cursors);
  SearchCursors.resize(Groups.size());
}

// Groups the occurrences by the positions at which their call text stands
// in the rewritten text. A call text always starts with its keyword, and a
// keyword is an occurrence wherever its letters stand, so only occurrences of
// the same keyword can hold it. A closed call text (it ends where its
// parentheses balance) stands exactly where another occurrence has the same
// call text; one left open runs to the end of the text and may stand inside
// a longer call text too.
void TEvaluator::TPlan::FindTwins() {
  const int k = Count();
  const std::string_view text = Text();
  const auto sameText = [&](std::size_t a, std::size_t b, std::size_t length) {
    return SameText(a, b, length);
  };

  GroupOf.assign(k + 1, -1);
  std::unordered_map<std::uint64_t, std::vector<int>> closedGroups;
  for (int j = 1; j <= k; ++j) {
    const std::size_t length = Length[j];
    if (!Occurrences[j].Closed) {
      TTwinGroup group{length, {}};
      for (int i = 1; i <= j; ++i) {
        if (Occurrences[i].Operation == Occurrences[j].Operation && Begin[i] + length <= text.size() &&
            sameText(Begin[i], Begin[j], length)) {
          group.Positions.push_back(Begin[i]);
        }
      }
      GroupOf[j] = static_cast<int>(Groups.size());
      Groups.push_back(std::move(group));
      continue;
    }
    std::vector<int>& candidates = closedGroups[Hash.Of(Begin[j], length) ^ (length * 0x9E3779B97F4A7C15ULL)];
    for (int g : candidates) {
      if (Groups[g].Length == length && sameText(Groups[g].Positions.front(), Begin[j], length)) {
        GroupOf[j] = g;
        break;
      }
    }
    if (GroupOf[j] < 0) {
      GroupOf[j] = static_cast<int>(Groups.size());
      candidates.push_back(GroupOf[j]);
      Groups.push_back({length, {}});
    }
    Groups[GroupOf[j]].Positions.push_back(Begin[j]);
  }
}

// A call text could only be found running on into a result text from an
// offset at which its own characters have the shape of a result text up to
// its end or for all 23 characters. The rewriting splits every "E+" and
// "E-", so whole result texts never stand in a rewritten expression; what
// remains is a keyword followed by one blank or "-", or a call left open to
// the end of the text.
void TEvaluator::TPlan::FindRiskyOffsets() {
  const std::string_view text = Text();
  std::vector<std::size_t> whole; // positions at which 23 characters have the shape
  for (std::size_t q = 0; q < text.size(); ++q) {
    if ((text[q] == ' ' || text[q] == '-') && ResultPrefixAt(text, q) == kResultLength) whole.push_back(q);
  }
  RiskyOffsets.assign(Count() + 1, {});
  for (int j = 1; j <= Count(); ++j) {
    const std::size_t begin = Begin[j];
    const std::size_t end = begin + Length[j];
    std::vector<std::size_t>& offsets = RiskyOffsets[j];
    if (end >= begin + 1 + kResultLength) {
      for (auto q = std::upper_bound(whole.begin(), whole.end(), begin);
           q != whole.end() && *q <= end - kResultLength; ++q) {
        offsets.push_back(*q - begin);
      }
    }
    for (std::size_t q = std::max(begin + 1, end >= kResultLength ? end - kResultLength + 1 : 0); q < end;
         ++q) {
      if (ResultPrefixAt(text, q) >= end - q) offsets.push_back(q - begin);
    }
  }
  // A risky offset holds a blank or "-" and a keyword starts with a letter:
  // where the call text's characters stand again up to a keyword, that
  // keyword starts exactly where the two texts first differ. Such a place
  // starts with the call text's keyword, so it is an occurrence of it.
  std::vector<bool> keywordStart(text.size() + 1);
  std::vector<std::vector<int>> byOperation(kOperationCount + 1);
  for (int i = 1; i <= Count(); ++i) {
    keywordStart[Begin[i]] = true;
    byOperation[Occurrences[i].Operation].push_back(i);
  }
  RunOnAnchors.assign(Count() + 1, {});
  for (int j = 1; j <= Count(); ++j) {
    const std::vector<std::size_t>& offsets = RiskyOffsets[j];
    if (offsets.empty()) continue;
    for (int i : byOperation[Occurrences[j].Operation]) {
      const std::size_t common = Lcp.Of(Begin[i], Begin[j]);
      if (common < Length[j] && keywordStart[Begin[i] + common] &&
          std::binary_search(offsets.begin(), offsets.end(), common)) {
        RunOnAnchors[j].emplace_back(Begin[i], Begin[i] + common);
      }
    }
  }
}

// The substitutions into occurrence m's call text, j = m+1 ... K in order,
// each at the first place its call text stands, as long as that place does
// not depend on the result texts.
void TEvaluator::TPlan::PlanStep(int m, std::vector<std::size_t>& cursors) {
  const std::size_t begin = Begin[m];
  const std::size_t end = begin + Length[m];
  std::vector<TReplaced> replaced;
  std::size_t workingLength = Length[m];
  std::fill(cursors.begin(), cursors.end(), 0);
  TStep& step = Steps[m];

  for (int j = m + 1; j <= Count(); ++j) {
    const std::size_t length = Length[j];
    if (length >= workingLength) continue;

    const std::size_t found =
        FirstClearTwin(Groups[GroupOf[j]], cursors[GroupOf[j]], begin, end, length,
                       [&](std::size_t a, std::size_t b) { return Overlaps(replaced, a, b); });
    if (!RiskyOffsets[j].empty()) {
      const std::size_t risky = FirstRiskyStart(j, begin, replaced);
      if (risky != kNone && (found == kNone || risky < found)) {
        step.Literal = true;
        step.Replaced = std::move(replaced);
        step.ResumeAt = j;
        return;
      }
    }
    if (found == kNone) continue;
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
  const std::size_t keywordLength = Occurrences[m].Keyword().size();
  std::size_t offset = 0;
  std::size_t firstAmpersand = kNone;
  std::size_t ampersandAfterKeyword = kNone;
  for (const TPiece& piece : working) {
    if (piece.Slot == 0) {
      for (std::size_t p = piece.Begin; p < piece.End; ++p) {
        if (Text()[p] != '&') continue;
        const std::size_t at = offset + (p - piece.Begin);
        if (firstAmpersand == kNone) firstAmpersand = at;
        if (ampersandAfterKeyword == kNone && at >= keywordLength) ampersandAfterKeyword = at;
      }
    }
    offset += piece.End - piece.Begin;
  }
  const std::size_t total = offset;
  const std::size_t leftFrom = std::min(keywordLength, total);
  step.Left = MakeOperand(working, leftFrom, ampersandAfterKeyword == kNone ? total : ampersandAfterKeyword);
  step.Right = firstAmpersand == kNone ? MakeOperand(working, 0, total)
                                       : MakeOperand(working, firstAmpersand + 1, total);
}

// The earliest start, inside the working text's own characters, from which
// call text j could run on into a result text that follows them: one of its
// anchors, with a substitution beginning at the anchor's keyword.
std::size_t TEvaluator::TPlan::FirstRiskyStart(int j, std::size_t begin,
                                               const std::vector<TReplaced>& replaced) const {
  const auto& anchors = RunOnAnchors[j];
  for (auto a = std::lower_bound(anchors.begin(), anchors.end(), std::make_pair(begin, std::size_t{0}));
       a != anchors.end(); ++a) {
    const auto [t, keyword] = *a;
    const auto r =
        std::lower_bound(replaced.begin(), replaced.end(), keyword,
                         [](const TReplaced& x, std::size_t position) { return x.Begin < position; });
    if (r == replaced.end() || r->Begin != keyword) continue;
    if (r == replaced.begin() || std::prev(r)->End <= t) return t;
  }
  return kNone;
}

std::vector<TPiece> TEvaluator::TPlan::Pieces(std::size_t begin, std::size_t end,
                                              const std::vector<TReplaced>& replaced) const {
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
TOperand TEvaluator::TPlan::MakeOperand(const std::vector<TPiece>& working, std::size_t from,
                                        std::size_t to) const {
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
          while (p < b && (Text()[p] == '(' || Text()[p] == ')')) ++p;
          std::size_t q = p;
          while (q < b && Text()[q] != '(' && Text()[q] != ')') ++q;
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
    const std::string text = Materialize(operand.Pieces);
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

std::string TEvaluator::TPlan::Materialize(const std::vector<TPiece>& pieces) const {
  std::string text;
  for (const TPiece& piece : pieces) {
    const std::string_view source = piece.Slot == 0 ? Text() : ResultText(piece.Slot);
    text.append(source.substr(piece.Begin, piece.End - piece.Begin));
  }
  return text;
}

double TEvaluator::TPlan::OperandAt(const TOperand& operand, double x) const {
  switch (operand.Kind) {
  case TOperand::TKind::X:
    return x;
  case TOperand::TKind::Constant:
    if (operand.Overflows) throw EOverflow();
    return operand.Value;
  case TOperand::TKind::Result:
    return StoreDouble(TextToReal(ResultText(operand.Slot)).Value);
  case TOperand::TKind::Assembled:
    break;
  }
  return StoreDouble(TextToReal(Materialize(operand.Pieces)).Value);
}

// Whether call text j, from its own character at position from on, runs on
// into the content of ranges[first] and matches to its end; if so, where it
// ends: inside the content of ranges[lastRange] after endOffset characters
// of it, or (endOffset past that content) in the own characters after it.
bool TEvaluator::TPlan::RunsOn(int j, std::size_t from, const std::vector<TRange>& ranges, std::size_t first,
                               std::size_t end, std::size_t& lastRange, std::size_t& endOffset) const {
  const std::size_t callEnd = Begin[j] + Length[j];
  std::size_t at = Begin[j] + (ranges[first].Begin - from);
  for (std::size_t q = first; q < ranges.size(); ++q) {
    std::size_t consumed = 0;
    for (const TPiece& piece : ranges[q].Content) {
      const std::size_t take = std::min(callEnd - at, piece.End - piece.Begin);
      if (Text().substr(at, take) != ResultText(piece.Slot).substr(piece.Begin, take)) return false;
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
    if (!SameText(ranges[q].End, at, own)) return false;
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
std::string TEvaluator::TPlan::SearchLiterally(int m, const TStep& step) {
  const std::size_t begin = Begin[m];
  const std::size_t end = begin + Length[m];
  std::vector<TRange> ranges;
  ranges.reserve(step.Replaced.size());
  std::size_t workingLength = Length[m];
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

  for (int j = step.ResumeAt; j <= Count(); ++j) {
    const std::size_t length = Length[j];
    if (length >= workingLength) continue;
    std::size_t found =
        FirstClearTwin(Groups[GroupOf[j]], SearchCursors[GroupOf[j]], begin, end, length, overlaps);
    // A run-on before it starts in the own characters right before a range,
    // at one of the call text's anchors; the first that matches is taken.
    std::size_t runOnRange = kNone;
    std::size_t lastRange = 0;
    std::size_t endOffset = 0;
    const auto& anchors = RunOnAnchors[j];
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
    if (found == kNone) continue;
    workingLength = workingLength - length + kResultLength;
    if (runOnRange == kNone) {
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
    working.append(Text().substr(at, range.Begin - at));
    for (const TPiece& piece : range.Content)
      working.append(ResultText(piece.Slot).substr(piece.Begin, piece.End - piece.Begin));
    at = range.End;
  }
  working.append(Text().substr(at, end - at));
  return working;
}

double TEvaluator::TPlan::Evaluate(double x) {
  const int k = Count();
  if (k == 0) return 0;
  for (int m = k; m >= 1; --m) {
    const TStep& step = Steps[m];
    double left;
    double right;
    if (step.Literal) {
      const std::string working = SearchLiterally(m, step);
      left = OperandValue(LeftOperandText(working, Occurrences[m].Keyword()), x);
      right = OperandValue(RightOperandText(working), x);
    } else {
      left = OperandAt(step.Left, x);
      right = OperandAt(step.Right, x);
    }
    const double value = EvaluateOperation(Occurrences[m].Operation, left, right);
    Values[m] = value;
    RealToText(value,
               std::span<char, kResultLength>(ResultTexts.data() + (m - 1) * kResultLength, kResultLength));
  }
  return Values[1];
}

TEvaluator::TEvaluator(TOccurrenceList occurrences)
    : m_plan(std::make_unique<TPlan>(std::move(occurrences))) {
  m_plan->Build();
}

TEvaluator::~TEvaluator() = default;
TEvaluator::TEvaluator(TEvaluator&&) noexcept = default;
TEvaluator& TEvaluator::operator=(TEvaluator&&) noexcept = default;

const TOccurrenceList& TEvaluator::Occurrences() const { return m_plan->Occurrences; }

double TEvaluator::EvaluateAt(double x) { return m_plan->Evaluate(x); }

int TEvaluator::LiteralSteps() const {
  return static_cast<int>(
      std::count_if(m_plan->Steps.begin(), m_plan->Steps.end(), [](const TStep& s) { return s.Literal; }));
}

} // namespace curvella
