#include "LiteralEvaluation.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "numtext/Errors.h"
#include "numtext/NumberText.h"

namespace curvella::test {

std::string EvaluationOutcome(const std::function<double()>& evaluate) {
  try {
    const double v = evaluate();
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return std::to_string(bits);
  } catch (const Exception& e) {
    return "error: " + e.Message();
  }
}

double EvaluateLiterally(const TOccurrenceList& occurrences, double x, std::vector<std::string>* trace) {
  const int k = occurrences.Count();
  if (k == 0) return 0;
  std::vector<double> value(k + 1);
  std::vector<std::string> resultText(k + 1);
  std::string w(occurrences.CallText(k));
  for (int m = k; m >= 1; --m) {
    if (trace) trace->push_back(w);
    const std::string_view keyword = occurrences[m].Keyword();
    const double left = OperandValue(LeftOperandText(w, keyword), x);
    const double right = OperandValue(RightOperandText(w), x);
    value[m] = EvaluateOperation(occurrences[m].Operation, left, right);
    resultText[m] = RealToText(value[m]);
    if (m > 1) {
      w = occurrences.CallText(m - 1);
      for (int j = m; j <= k; ++j) {
        const std::string_view call = occurrences.CallText(j);
        const std::size_t at = w.find(call);
        if (at != std::string::npos && call.size() < w.size()) w.replace(at, call.size(), resultText[j]);
      }
    }
  }
  return value[1];
}

} // namespace curvella::test
