#pragma once

// Random expression texts for the differential tests: infix expressions
// built from a vocabulary of leaves, one-operand functions and operators.
// The same seed and vocabulary give the same texts.

#include <random>
#include <string>
#include <vector>

namespace curvella::test {

struct TInfixVocabulary {
  std::vector<std::string> Leaves;
  std::vector<std::string> Functions;
  std::vector<std::string> Operators;
};

inline std::string Pick(std::mt19937& random, const std::vector<std::string>& choices) {
  return choices[random() % choices.size()];
}

inline std::string RandomInfix(std::mt19937& random, const TInfixVocabulary& words, int depth) {
  if (depth == 0 || random() % 4 == 0) return Pick(random, words.Leaves);
  switch (random() % 3) {
  case 0:
    return Pick(random, words.Functions) + "(" + RandomInfix(random, words, depth - 1) + ")";
  case 1:
    return "(" + RandomInfix(random, words, depth - 1) + ")";
  default:
    return RandomInfix(random, words, depth - 1) + Pick(random, words.Operators) +
           RandomInfix(random, words, depth - 1);
  }
}

} // namespace curvella::test
