#pragma once

// The longest common prefix of any two suffixes of a text, exactly and in
// constant time: the text's suffixes sorted (by doubling the compared
// prefixes), the common prefix of each pair of neighbours in that order, and
// a table of their minima over every power-of-two stretch. Building takes
// O(n log n) time and memory.
//
//   TSuffixLcp lcp("banana");
//   lcp.Of(1, 3) -> 3   ("anana", "ana")
//   lcp.Of(0, 2) -> 0   ("banana", "nana")
//   lcp.Of(2, 2) -> 4   (a suffix with itself: its length)
//   lcp.Of(5, 6) -> 0   (the empty suffix at the end)

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace curvella {

class TSuffixLcp {
public:
  explicit TSuffixLcp(std::string_view text);

  // Positions from 0 to the text's length.
  std::size_t Of(std::size_t a, std::size_t b) const;

  // Whether the length characters from a equal those from b (both within
  // the text).
  bool Same(std::size_t a, std::size_t b, std::size_t length) const { return a == b || Of(a, b) >= length; }

private:
  std::size_t m_length;
  std::vector<std::uint32_t> m_rank;                // position -> place in the sorted order
  std::vector<std::vector<std::uint32_t>> m_minima; // [k][i]: least common prefix of places i .. i + 2^k
};

} // namespace curvella
