#include "expr/ExpressionRewriting.h"

#include <array>
#include <vector>

namespace curvella {

namespace {

// Characters that stop or steer a scan; every other character is part of an
// operand.
constexpr std::array<bool, 256> kScanStops = [] {
  std::array<bool, 256> stops{};
  for (unsigned char c : {'(', ')', '+', '-', '*', '/'}) stops[c] = true;
  return stops;
}();

bool IsScanStop(char c) { return kScanStops[static_cast<unsigned char>(c)]; }

[[noreturn]] void ThrowIncomplete(char op) {
  throw EExpressionError(std::string("Incomplete expression after \"") + op +
                         "\": an operand or \")\" is missing");
}

// One pass over the text, with a budget of splices shared by all passes.
//
// A splice only inserts "keyword(" before the left operand and ")" after the
// right one, turns the operator into "&", and may drop a delimiter at the
// very start or end; so the text is kept as a linked list of pieces and
// never copied. A piece is one scan stop, one operator character, or a run of
// other characters. The scans skip what they cannot stop in: a run of pieces
// without a scan stop in one step (the runs are merged sets), a group from
// "(" to its ")" in one step (every parenthesis knows its partner).
//
// The walk over the text by index visits each operator character of the
// pass's input once and in order: a splice inserts only letters, "(", ")"
// and "&" before the walk's place, and the characters it walks over again
// are a left operand's last ones, whose operator characters are signs. So the
// walk goes over the input's operator pieces in order instead.
class TOperatorPass {
public:
  TOperatorPass(std::string_view text, char op, std::string_view keyword, int& splicesLeft)
      : m_op(op), m_keyword(keyword), m_splicesLeft(splicesLeft) {
    m_chars.reserve(text.size() + 64);
    m_chars.append(text);
    Split(text.size());
  }

  std::string Run() {
    for (int piece : m_opPieces) {
      if (m_piece[piece].Removed) continue;
      const int before = m_piece[piece].Prev;
      if (before >= 0 && (LastChar(before) == '&' || LastChar(before) == '(')) continue; // a sign
      Splice(piece);
    }
    std::string out;
    out.reserve(m_chars.size());
    for (int p = m_head; p >= 0; p = m_piece[p].Next)
      out.append(m_chars, m_piece[p].Begin, m_piece[p].End - m_piece[p].Begin);
    return out;
  }

private:
  struct TPiece {
    std::size_t Begin;
    std::size_t End;
    int Prev = -1;
    int Next = -1;
    int Match = -1;   // a parenthesis's partner
    int Run = -1;     // the merged set of a piece that is no scan stop
    int Unmatched[2]; // neighbours in the list of unmatched ")"
    bool Removed = false;
  };
  struct TRun {
    int Parent;
    int First;
    int Last;
  };

  char FirstChar(int p) const { return m_chars[m_piece[p].Begin]; }
  char LastChar(int p) const { return m_chars[m_piece[p].End - 1]; }
  bool IsStop(int p) const { return m_piece[p].Run < 0; }

  int NewPiece(std::size_t begin, std::size_t end) {
    m_piece.push_back({begin, end});
    m_piece.back().Unmatched[0] = m_piece.back().Unmatched[1] = -1;
    return static_cast<int>(m_piece.size()) - 1;
  }
  int NewText(std::string_view text) {
    m_chars.append(text);
    return NewPiece(m_chars.size() - text.size(), m_chars.size());
  }

  void Split(std::size_t length) {
    m_piece.reserve(length / 2 + 16);
    std::vector<int> open;
    int last = -1;
    for (std::size_t i = 0; i < length;) {
      std::size_t end = i + 1;
      const char c = m_chars[i];
      const bool alone = IsScanStop(c) || c == m_op;
      if (!alone) {
        while (end < length && !IsScanStop(m_chars[end]) && m_chars[end] != m_op) ++end;
      }
      const int p = NewPiece(i, end);
      if (c == m_op) m_opPieces.push_back(p);
      if (!IsScanStop(c)) MakeRun(p);
      if (c == '(') {
        open.push_back(p);
      } else if (c == ')') {
        if (open.empty()) {
          AppendUnmatched(p);
        } else {
          m_piece[p].Match = open.back();
          m_piece[open.back()].Match = p;
          open.pop_back();
        }
      }
      Link(last, p);
      if (last >= 0 && !IsStop(last) && !IsStop(p)) Merge(last, p);
      last = p;
      i = end;
    }
  }

  void Link(int a, int b) {
    if (a >= 0)
      m_piece[a].Next = b;
    else
      m_head = b;
    if (b >= 0) m_piece[b].Prev = a;
  }
  void InsertBefore(int p, int fresh) {
    Link(m_piece[p].Prev, fresh);
    Link(fresh, p);
  }
  void InsertAfter(int p, int fresh) {
    Link(fresh, m_piece[p].Next);
    Link(p, fresh);
  }
  void Remove(int p) {
    Link(m_piece[p].Prev, m_piece[p].Next);
    m_piece[p].Removed = true;
  }

  void MakeRun(int p) {
    m_piece[p].Run = static_cast<int>(m_runs.size());
    m_runs.push_back({m_piece[p].Run, p, p});
  }
  int Root(int run) {
    while (m_runs[run].Parent != run) run = m_runs[run].Parent = m_runs[m_runs[run].Parent].Parent;
    return run;
  }
  // Merges the run of a with the run of b, which follows it.
  void Merge(int a, int b) {
    const int ra = Root(m_piece[a].Run);
    const int rb = Root(m_piece[b].Run);
    m_runs[rb].Parent = ra;
    m_runs[ra].Last = m_runs[rb].Last;
  }
  int RunFirst(int p) { return m_runs[Root(m_piece[p].Run)].First; }
  int RunLast(int p) { return m_runs[Root(m_piece[p].Run)].Last; }

  void AppendUnmatched(int p) {
    if (m_lastUnmatched >= 0)
      m_piece[m_lastUnmatched].Unmatched[1] = p;
    else
      m_firstUnmatched = p;
    m_piece[p].Unmatched[0] = m_lastUnmatched;
    m_lastUnmatched = p;
  }

  // The right scan: up to a delimiter or an unmatched ")" at depth 0, or the
  // end; a "-" right after the operator is a sign. Returns the last piece of
  // the operand (the operator when it is empty) and sets the stop.
  int ScanRight(int op, int& stop, bool& closing) {
    int cur = m_piece[op].Next;
    if (cur < 0) ThrowIncomplete(m_op);
    int last = op;
    stop = -1;
    closing = false;
    while (cur >= 0) {
      if (!IsStop(cur)) {
        last = RunLast(cur);
      } else if (FirstChar(cur) == '(') {
        last = m_piece[cur].Match;
        if (last < 0) ThrowIncomplete(m_op); // the count never returns to 0
      } else if (FirstChar(cur) == ')') {
        closing = true;
        stop = cur;
        break;
      } else if (FirstChar(cur) == '-' && cur == m_piece[op].Next) {
        last = cur;
      } else {
        stop = cur;
        break;
      }
      cur = m_piece[last].Next;
    }
    return last;
  }

  // The left scan: back to a delimiter or an unmatched "(" at depth 0, or the
  // start. A "-" at the start belongs to the operand; any other delimiter
  // there is dropped. Past an unmatched ")" the scan runs to the start.
  int ScanLeft(int op, int& dropped, int& unmatchedClose) {
    dropped = -1;
    unmatchedClose = -1;
    int cur = m_piece[op].Prev;
    int first = op;
    while (cur >= 0) {
      if (!IsStop(cur)) {
        first = RunFirst(cur);
      } else if (FirstChar(cur) == ')') {
        if (m_piece[cur].Match < 0) {
          unmatchedClose = cur;
          return m_head;
        }
        first = m_piece[cur].Match;
      } else if (FirstChar(cur) == '(') {
        return first;
      } else if (cur == m_head) {
        if (FirstChar(cur) == '-') return cur;
        dropped = cur;
        return first;
      } else {
        return first;
      }
      cur = m_piece[first].Prev;
    }
    return first;
  }

  void Splice(int op) {
    int stop = -1;
    bool closing = false;
    const int rightLast = ScanRight(op, stop, closing);
    int dropped = -1;
    int unmatchedClose = -1;
    const int leftFirst = ScanLeft(op, dropped, unmatchedClose);

    if (--m_splicesLeft < 0) ThrowTooManyOperations();

    // A delimiter that ends the right operand as the text's last character
    // is dropped, as is one at the start that ends the left operand.
    if (stop >= 0 && !closing && m_piece[stop].Next < 0) Remove(stop);
    if (dropped >= 0) Remove(dropped);

    const int keyword = NewText(m_keyword);
    MakeRun(keyword);
    const int opening = NewText("(");
    const int closingPiece = NewText(")");
    InsertBefore(leftFirst, opening);
    InsertBefore(opening, keyword);
    InsertAfter(rightLast, closingPiece);

    if (unmatchedClose < 0) {
      m_piece[opening].Match = closingPiece;
      m_piece[closingPiece].Match = opening;
    } else {
      // The left operand runs from the start over unmatched ")": the new
      // "(" pairs with the first of them, and the new ")" pairs with none.
      const int firstUnmatched = m_firstUnmatched;
      int& after = m_piece[unmatchedClose].Unmatched[1];
      m_piece[closingPiece].Unmatched[0] = unmatchedClose;
      m_piece[closingPiece].Unmatched[1] = after;
      if (after >= 0)
        m_piece[after].Unmatched[0] = closingPiece;
      else
        m_lastUnmatched = closingPiece;
      after = closingPiece;
      m_firstUnmatched = m_piece[firstUnmatched].Unmatched[1];
      m_piece[m_firstUnmatched].Unmatched[0] = -1;
      m_piece[opening].Match = firstUnmatched;
      m_piece[firstUnmatched].Match = opening;
    }

    m_chars[m_piece[op].Begin] = '&';
    if (IsStop(op)) {
      MakeRun(op);
      const int before = m_piece[op].Prev;
      const int after = m_piece[op].Next;
      if (before >= 0 && !IsStop(before)) Merge(before, op);
      if (after >= 0 && !IsStop(after)) Merge(op, after);
    }
  }

  std::string m_chars; // the input, then the inserted characters
  std::vector<TPiece> m_piece;
  std::vector<TRun> m_runs;
  std::vector<int> m_opPieces;
  int m_head = -1;
  int m_firstUnmatched = -1;
  int m_lastUnmatched = -1;
  char m_op;
  std::string_view m_keyword;
  int& m_splicesLeft;
};

std::string RewriteOperator(std::string_view text, char op, std::string_view keyword, int& splicesLeft) {
  return TOperatorPass(text, op, keyword, splicesLeft).Run();
}

} // namespace

void ThrowTooManyOperations() {
  throw EExpressionError("The expression has more than " + std::to_string(kMaxOperations) + " operations");
}

std::string RewriteOperator(std::string_view text, char op, std::string_view keyword) {
  int splicesLeft = kMaxOperations;
  return RewriteOperator(text, op, keyword, splicesLeft);
}

std::string RewriteExpression(std::string_view text) {
  int splicesLeft = kMaxOperations;
  std::string w = RewriteOperator(text, '^', "pow", splicesLeft);
  w = RewriteOperator(w, '*', "mult", splicesLeft);
  w = RewriteOperator(w, '/', "divide", splicesLeft);
  w = RewriteOperator(w, '-', "minus", splicesLeft);
  return RewriteOperator(w, '+', "plus", splicesLeft);
}

} // namespace curvella
