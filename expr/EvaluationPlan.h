#pragma once

// The evaluator's plan of one rewritten expression, fixed before the first
// x: where each occurrence's operands come from at every x.
//
// At each x the calls are evaluated from the last in the text to the first.
// Before occurrence m is evaluated, its working text is its call text in
// which, for j = m+1 ... K in that order, the first occurrence of call text j
// (when it is shorter than the working text) is replaced by the 23-character
// result text of j. Which call text lands where does not depend on x: a call
// text starts with a keyword's lower-case letter, which no result text
// contains, so it can only be found where the same text stands in the
// rewritten text. The plan records those substitutions and reads m's operands
// from them: the letter x, a constant, the result of one inner call, or a mix
// of characters and results read at each x.
//
// Only a call text that could run on into a result text (a keyword followed
// by one blank or "-", or a call left open to the end of the text, next to a
// result) makes a step literal: its substitutions are known up to that call
// text, and the search goes on at each x from there.
//
//   "plus(x&2)"     -> step 1: left X, right constant 2
//   "plus(sinx&2)"  -> step 1: left result of 2, right constant 2;
//                      step 2: left X, right "sinx" read as 0
//   "plus(mult(sin(x)&2)&sin(x))"
//                   -> step 1: left result of 2, right result of 3: the
//                      inner sin(x) of occurrence 3 is replaced where it is
//                      first found clear, at the second sin(x)

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "expr/ExpressionEvaluation.h"
#include "expr/SuffixLcp.h"
#include "numtext/NumberText.h"

namespace curvella {

inline constexpr std::size_t kResultLength = kNumberTextLength;
inline constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

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

// Positions [Begin, End) of the rewritten text that equal one call text.
struct TTwinGroup {
  std::size_t Length;
  std::vector<std::size_t> Positions;
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
  return kNoPosition;
}

class TEvaluationPlan {
public:
  explicit TEvaluationPlan(TOccurrenceList list);

  const TOccurrenceList& Occurrences() const { return m_occurrences; }
  std::string_view Text() const { return m_occurrences.Text(); }
  int Count() const { return m_occurrences.Count(); }

  // Per occurrence, 1 to K.
  const TStep& Step(int m) const { return m_steps[m]; }
  std::size_t Begin(int m) const { return m_begin[m]; }   // 0-based start of the call text
  std::size_t Length(int m) const { return m_length[m]; } // length of the call text
  const TTwinGroup& GroupOf(int m) const { return m_groups[m_groupOf[m]]; }
  int GroupIndexOf(int m) const { return m_groupOf[m]; }
  std::size_t GroupCount() const { return m_groups.size(); }
  // The places (start, keyword start) at which call text m's characters up
  // to a risky offset stand right before a keyword, where a replaced range
  // may begin; by start.
  const std::vector<std::pair<std::size_t, std::size_t>>& RunOnAnchors(int m) const {
    return m_runOnAnchors[m];
  }

  bool SameText(std::size_t a, std::size_t b, std::size_t length) const;

private:
  class TStepSearch;

  void FindTwins();
  void FindRiskyOffsets();
  void IndexCandidates();
  void PlanStep(int m, TStepSearch& search);
  std::size_t CommonPrefix(std::size_t a, std::size_t b, std::size_t limit);
  std::size_t FirstRiskyStart(int j, std::size_t begin, const std::vector<TReplaced>& replaced) const;
  std::vector<TPiece> Pieces(std::size_t begin, std::size_t end,
                             const std::vector<TReplaced>& replaced) const;
  TOperand MakeOperand(const std::vector<TPiece>& working, std::size_t from, std::size_t to) const;

  TOccurrenceList m_occurrences;
  std::vector<TStep> m_steps;
  std::vector<std::size_t> m_begin;
  std::vector<std::size_t> m_length;
  std::vector<int> m_groupOf; // occurrence -> its twin group
  std::vector<TTwinGroup> m_groups;
  std::vector<std::vector<std::size_t>> m_riskyOffsets; // offsets at which a result text could begin
  std::vector<std::vector<std::pair<std::size_t, std::size_t>>> m_runOnAnchors;
  // Texts are compared character by character while a budget of a few
  // comparisons per character of the text lasts; then, and whenever a step
  // is literal (the evaluator compares texts at each x), through the table
  // of the suffixes' common prefixes.
  std::optional<TSuffixLcp> m_lcp;
  std::size_t m_directBudget = 0;

  // What lets a step visit only the occurrences that can act in it.
  std::vector<std::vector<int>> m_members;    // closed twin group -> its occurrences, in order
  std::vector<int> m_nextTwin;                // occurrence -> the next of its closed group; 0: none
  std::vector<std::vector<int>> m_latestTwin; // sparse table: the occurrence of most distant next twin
  std::vector<int> m_alwaysVisited;           // occurrences left open or with run-on anchors, in order
};

} // namespace curvella
