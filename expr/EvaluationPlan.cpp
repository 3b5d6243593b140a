#include "expr/EvaluationPlan.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <unordered_map>

#include "numtext/Extended.h"

namespace curvella {

namespace {

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

// The substitution that [begin, end) overlaps, or replaced.end().
std::vector<TReplaced>::const_iterator Overlapped(const std::vector<TReplaced>& replaced, std::size_t begin,
                                                  std::size_t end) {
  auto after = std::lower_bound(replaced.begin(), replaced.end(), end,
                                [](const TReplaced& r, std::size_t position) { return r.Begin < position; });
  return after != replaced.begin() && std::prev(after)->End > begin ? std::prev(after) : replaced.end();
}

// FirstClearTwin, but a place that overlaps a substitution moves the cursor
// past every place before that substitution's end at once: they all overlap
// it too.
std::size_t FirstClearPlace(const TTwinGroup& group, std::size_t& cursor, std::size_t begin, std::size_t end,
                            std::size_t length, const std::vector<TReplaced>& replaced) {
  const std::vector<std::size_t>& places = group.Positions;
  while (cursor < places.size()) {
    const std::size_t t = places[cursor];
    if (t < begin) {
      ++cursor;
      continue;
    }
    if (t + length > end) break;
    const auto r = Overlapped(replaced, t, t + length);
    if (r == replaced.end()) return t;
    cursor = std::lower_bound(places.begin() + cursor + 1, places.end(), r->End) - places.begin();
  }
  return kNoPosition;
}

} // namespace

// The scratch of one step, kept from step to step: the twin groups' search
// cursors (valid for the step that set them) and the candidates due.
class TEvaluationPlan::TStepSearch {
public:
  explicit TStepSearch(std::size_t groups) : m_cursor(groups), m_stepOf(groups, 0) {}

  void Start(int m) {
    m_step = m;
    m_due.clear();
    m_waiting.clear();
  }
  // The cursor of group g in this step, first set to the first place from
  // begin on: places before the call text are never clear.
  std::size_t& Cursor(int g, const TTwinGroup& group, std::size_t begin) {
    if (m_stepOf[g] != m_step) {
      m_stepOf[g] = m_step;
      m_cursor[g] =
          std::lower_bound(group.Positions.begin(), group.Positions.end(), begin) - group.Positions.begin();
    }
    return m_cursor[g];
  }
  void Add(int j) {
    m_due.push_back(j);
    std::push_heap(m_due.begin(), m_due.end(), std::greater<>());
  }
  // The first candidate after `last`, or kNone.
  int Next(int last) {
    while (!m_due.empty() && m_due.front() <= last) {
      std::pop_heap(m_due.begin(), m_due.end(), std::greater<>());
      m_due.pop_back();
    }
    return m_due.empty() ? kNone : m_due.front();
  }

  // A group whose call text is too long for the working text: its later
  // twins pass without effect until a substitution shortens the working
  // text below its length.
  void Wait(int g) { m_waiting.push_back(g); }
  template <class TRelease>
  void ReleaseShorter(std::size_t workingLength, const std::vector<TTwinGroup>& groups, TRelease release) {
    std::erase_if(m_waiting, [&](int g) {
      if (groups[g].Length >= workingLength) return false;
      release(g);
      return true;
    });
  }

  static constexpr int kNone = std::numeric_limits<int>::max();
  std::vector<std::pair<int, int>> Ranges; // occurrences still to look through

private:
  std::vector<std::size_t> m_cursor;
  std::vector<int> m_stepOf;
  std::vector<int> m_due; // a min-heap
  std::vector<int> m_waiting;
  int m_step = 0;
};

TEvaluationPlan::TEvaluationPlan(TOccurrenceList list)
    : m_occurrences(std::move(list)), m_directBudget(4 * m_occurrences.Text().size() + 1024) {
  const int k = Count();
  m_steps.resize(k + 1);
  m_begin.resize(k + 1);
  m_length.resize(k + 1);
  for (int i = 1; i <= k; ++i) {
    m_begin[i] = m_occurrences[i].Position - 1;
    m_length[i] = m_occurrences[i].CallLength;
  }
  FindTwins();
  FindRiskyOffsets();
  IndexCandidates();
  TStepSearch search(m_groups.size());
  for (int m = 1; m <= k; ++m) PlanStep(m, search);
  if (!m_lcp && std::any_of(m_steps.begin(), m_steps.end(), [](const TStep& s) { return s.Literal; }))
    m_lcp.emplace(Text());
}

bool TEvaluationPlan::SameText(std::size_t a, std::size_t b, std::size_t length) const {
  if (m_lcp) return m_lcp->Same(a, b, length);
  return a == b || Text().substr(a, length) == Text().substr(b, length);
}

// The common prefix of the texts from a and from b, up to limit characters.
std::size_t TEvaluationPlan::CommonPrefix(std::size_t a, std::size_t b, std::size_t limit) {
  if (a == b) return limit;
  if (!m_lcp) {
    const std::string_view text = Text();
    const std::size_t most = std::min(limit, text.size() - std::max(a, b));
    const std::size_t affordable = std::min(most, m_directBudget);
    std::size_t k = 0;
    while (k < affordable && text[a + k] == text[b + k]) ++k;
    m_directBudget -= std::min(affordable, k + 1);
    if (k < affordable || affordable == most) return k;
    m_lcp.emplace(text);
  }
  return std::min(m_lcp->Of(a, b), limit);
}

// Groups the occurrences by the positions at which their call text stands
// in the rewritten text. A call text always starts with its keyword, and a
// keyword is an occurrence wherever its letters stand, so only occurrences of
// the same keyword can hold it. A closed call text (it ends where its
// parentheses balance) stands exactly where another occurrence has the same
// call text; one left open runs to the end of the text and may stand inside
// a longer call text too.
void TEvaluationPlan::FindTwins() {
  const int k = Count();
  const std::string_view text = Text();
  const TSubstringHash hash(text);
  const auto sameText = [&](std::size_t a, std::size_t b, std::size_t length) {
    return CommonPrefix(a, b, length) >= length;
  };

  m_groupOf.assign(k + 1, -1);
  std::unordered_map<std::uint64_t, std::vector<int>> closedGroups;
  for (int j = 1; j <= k; ++j) {
    const std::size_t length = m_length[j];
    if (!m_occurrences[j].Closed) {
      TTwinGroup group{length, {}};
      for (int i = 1; i <= j; ++i) {
        if (m_occurrences[i].Operation == m_occurrences[j].Operation && m_begin[i] + length <= text.size() &&
            sameText(m_begin[i], m_begin[j], length)) {
          group.Positions.push_back(m_begin[i]);
        }
      }
      m_groupOf[j] = static_cast<int>(m_groups.size());
      m_groups.push_back(std::move(group));
      continue;
    }
    std::vector<int>& candidates =
        closedGroups[hash.Of(m_begin[j], length) ^ (length * 0x9E3779B97F4A7C15ULL)];
    for (int g : candidates) {
      if (m_groups[g].Length == length && sameText(m_groups[g].Positions.front(), m_begin[j], length)) {
        m_groupOf[j] = g;
        break;
      }
    }
    if (m_groupOf[j] < 0) {
      m_groupOf[j] = static_cast<int>(m_groups.size());
      candidates.push_back(m_groupOf[j]);
      m_groups.push_back({length, {}});
    }
    m_groups[m_groupOf[j]].Positions.push_back(m_begin[j]);
  }
}

// A call text could only be found running on into a result text from an
// offset at which its own characters have the shape of a result text up to
// its end or for all 23 characters. The rewriting splits every "E+" and
// "E-", so whole result texts never stand in a rewritten expression; what
// remains is a keyword followed by one blank or "-", or a call left open to
// the end of the text.
void TEvaluationPlan::FindRiskyOffsets() {
  const std::string_view text = Text();
  std::vector<std::size_t> whole; // positions at which 23 characters have the shape
  for (std::size_t q = 0; q < text.size(); ++q) {
    if ((text[q] == ' ' || text[q] == '-') && ResultPrefixAt(text, q) == kResultLength) whole.push_back(q);
  }
  m_riskyOffsets.assign(Count() + 1, {});
  for (int j = 1; j <= Count(); ++j) {
    const std::size_t begin = m_begin[j];
    const std::size_t end = begin + m_length[j];
    std::vector<std::size_t>& offsets = m_riskyOffsets[j];
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
    keywordStart[m_begin[i]] = true;
    byOperation[m_occurrences[i].Operation].push_back(i);
  }
  m_runOnAnchors.assign(Count() + 1, {});
  for (int j = 1; j <= Count(); ++j) {
    const std::vector<std::size_t>& offsets = m_riskyOffsets[j];
    if (offsets.empty()) continue;
    for (int i : byOperation[m_occurrences[j].Operation]) {
      const std::size_t common = CommonPrefix(m_begin[i], m_begin[j], m_length[j]);
      if (common < m_length[j] && keywordStart[m_begin[i] + common] &&
          std::binary_search(offsets.begin(), offsets.end(), common)) {
        m_runOnAnchors[j].emplace_back(m_begin[i], m_begin[i] + common);
      }
    }
  }
}

// Which occurrences can act in a step. An occurrence j acts in step m only
// where its twin group has a place inside m's call text that no earlier
// substitution covers, or where it may run on into a result; every other j
// passes without effect. Closed call texts stand only where occurrences of
// their group stand, so j acts only if it is
//   - one that starts inside m's call text, at a place not covered,
//   - a later twin of one that acted, while its group has places left,
//   - the first twin after the one in progress of a group whose places a
//     substitution covered while the group has a place after the covered
//     occurrences,
//   - the first twin after m of m's own group,
//   - or one left open or with run-on anchors: these are visited in every
//     step.
void TEvaluationPlan::IndexCandidates() {
  const int k = Count();
  m_members.assign(m_groups.size(), {});
  m_nextTwin.assign(k + 1, 0);
  m_alwaysVisited.clear();
  for (int j = 1; j <= k; ++j) {
    if (!m_occurrences[j].Closed || !m_runOnAnchors[j].empty()) m_alwaysVisited.push_back(j);
    if (!m_occurrences[j].Closed) continue;
    std::vector<int>& members = m_members[m_groupOf[j]];
    if (!members.empty()) m_nextTwin[members.back()] = j;
    members.push_back(j);
  }
  // m_latestTwin[level][i]: among occurrences i ... i + 2^level - 1, the one
  // whose next twin comes last.
  m_latestTwin.assign(1, std::vector<int>(k + 1));
  for (int i = 0; i <= k; ++i) m_latestTwin[0][i] = i;
  for (int level = 1; (2 << (level - 1)) <= k; ++level) {
    const std::vector<int>& below = m_latestTwin[level - 1];
    std::vector<int> row(k + 1);
    const int half = 1 << (level - 1);
    for (int i = 1; i + 2 * half - 1 <= k; ++i)
      row[i] = m_nextTwin[below[i]] >= m_nextTwin[below[i + half]] ? below[i] : below[i + half];
    m_latestTwin.push_back(std::move(row));
  }
}

// The substitutions into occurrence m's call text, j = m+1 ... K in order,
// each at the first place its call text stands, as long as that place does
// not depend on the result texts. Only the occurrences that can act are
// visited (see IndexCandidates), in the same order.
void TEvaluationPlan::PlanStep(int m, TStepSearch& search) {
  const std::size_t begin = m_begin[m];
  const std::size_t end = begin + m_length[m];
  std::vector<TReplaced> replaced;
  std::size_t workingLength = m_length[m];
  TStep& step = m_steps[m];
  search.Start(m);

  const auto firstFrom = [&](std::size_t position) { // the first occurrence starting there or later
    return static_cast<int>(std::lower_bound(m_begin.begin() + 1, m_begin.end(), position) - m_begin.begin());
  };
  // Groups whose places in the occurrences [from, to] were just covered and
  // which have a place after them inside m's call text.
  const int lastInside = firstFrom(end) - 1;
  const auto addUncovered = [&](int from, int to, int now) {
    std::vector<std::pair<int, int>>& ranges = search.Ranges;
    ranges.assign(1, {from, to});
    while (!ranges.empty()) {
      const auto [lo, hi] = ranges.back();
      ranges.pop_back();
      if (lo > hi) continue;
      const int level = std::bit_width(static_cast<unsigned>(hi - lo + 1)) - 1;
      const int a = m_latestTwin[level][lo];
      const int b = m_latestTwin[level][hi - (1 << level) + 1];
      const int latest = m_nextTwin[a] >= m_nextTwin[b] ? a : b;
      if (m_nextTwin[latest] <= to) continue;
      if (m_nextTwin[latest] <= lastInside) {
        const std::vector<int>& members = m_members[m_groupOf[latest]];
        search.Add(*std::upper_bound(members.begin(), members.end(), now));
      }
      ranges.push_back({lo, latest - 1});
      ranges.push_back({latest + 1, hi});
    }
  };

  if (m_occurrences[m].Closed && m_nextTwin[m] != 0) search.Add(m_nextTwin[m]);
  int own = m + 1;
  auto always = std::upper_bound(m_alwaysVisited.begin(), m_alwaysVisited.end(), m);
  int last = m;
  for (;;) {
    for (auto r = replaced.cend();
         own <= lastInside && (r = Overlapped(replaced, m_begin[own], m_begin[own] + 1)) != replaced.end();)
      own = firstFrom(r->End);
    int j = search.Next(last);
    if (own <= lastInside) j = std::min(j, own);
    if (always != m_alwaysVisited.end()) j = std::min(j, *always);
    if (j == TStepSearch::kNone) break;
    if (own == j) ++own;
    if (always != m_alwaysVisited.end() && *always == j) ++always;
    last = j;

    const std::size_t length = m_length[j];
    const int g = m_groupOf[j];
    const int nextTwin = m_nextTwin[j];
    if (length >= workingLength) {
      if (nextTwin != 0) search.Wait(g);
      continue;
    }

    const std::size_t found =
        FirstClearPlace(m_groups[g], search.Cursor(g, m_groups[g], begin), begin, end, length, replaced);
    if (!m_riskyOffsets[j].empty()) {
      const std::size_t risky = FirstRiskyStart(j, begin, replaced);
      if (risky != kNoPosition && (found == kNoPosition || risky < found)) {
        step.Literal = true;
        step.Replaced = std::move(replaced);
        step.ResumeAt = j;
        return;
      }
    }
    if (found == kNoPosition) continue; // no place of the group is left in this step
    const TReplaced r{found, found + length, j};
    replaced.insert(
        std::lower_bound(replaced.begin(), replaced.end(), r,
                         [](const TReplaced& a, const TReplaced& b) { return a.Begin < b.Begin; }),
        r);
    workingLength = workingLength - length + kResultLength;
    if (nextTwin != 0) search.Add(nextTwin);
    addUncovered(std::max(firstFrom(found), j + 1), firstFrom(found + length) - 1, j);
    search.ReleaseShorter(workingLength, m_groups, [&](int waiting) {
      const std::vector<int>& members = m_members[waiting];
      const auto after = std::upper_bound(members.begin(), members.end(), j);
      if (after != members.end()) search.Add(*after);
    });
  }

  // The operands: the left one after the keyword up to the first "&", the
  // right one after that "&" (all of the working text when there is none).
  const std::vector<TPiece> working = Pieces(begin, end, replaced);
  const std::size_t keywordLength = m_occurrences[m].Keyword().size();
  std::size_t offset = 0;
  std::size_t firstAmpersand = kNoPosition;
  std::size_t ampersandAfterKeyword = kNoPosition;
  for (const TPiece& piece : working) {
    if (piece.Slot == 0) {
      for (std::size_t p = piece.Begin; p < piece.End; ++p) {
        if (Text()[p] != '&') continue;
        const std::size_t at = offset + (p - piece.Begin);
        if (firstAmpersand == kNoPosition) firstAmpersand = at;
        if (ampersandAfterKeyword == kNoPosition && at >= keywordLength) ampersandAfterKeyword = at;
      }
    }
    offset += piece.End - piece.Begin;
  }
  const std::size_t total = offset;
  const std::size_t leftFrom = std::min(keywordLength, total);
  step.Left =
      MakeOperand(working, leftFrom, ampersandAfterKeyword == kNoPosition ? total : ampersandAfterKeyword);
  step.Right = firstAmpersand == kNoPosition ? MakeOperand(working, 0, total)
                                             : MakeOperand(working, firstAmpersand + 1, total);
}

// The earliest start, inside the working text's own characters, from which
// call text j could run on into a result text that follows them: one of its
// anchors, with a substitution beginning at the anchor's keyword.
std::size_t TEvaluationPlan::FirstRiskyStart(int j, std::size_t begin,
                                             const std::vector<TReplaced>& replaced) const {
  const auto& anchors = m_runOnAnchors[j];
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

std::vector<TPiece> TEvaluationPlan::Pieces(std::size_t begin, std::size_t end,
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
TOperand TEvaluationPlan::MakeOperand(const std::vector<TPiece>& working, std::size_t from,
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
    std::string text;
    for (const TPiece& piece : operand.Pieces)
      text.append(Text().substr(piece.Begin, piece.End - piece.Begin));
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

} // namespace curvella
