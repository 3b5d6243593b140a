#include "expr/SuffixLcp.h"

#include <algorithm>
#include <bit>

namespace curvella {

TSuffixLcp::TSuffixLcp(std::string_view text) : m_length(text.size()) {
  // The text's characters as 1 .. 256 and a 0 after them, smaller than all:
  // sorting its rotations then sorts the suffixes.
  const std::size_t n = text.size() + 1;
  std::vector<std::uint32_t> symbol(n, 0);
  for (std::size_t i = 0; i < text.size(); ++i) symbol[i] = static_cast<unsigned char>(text[i]) + 1u;

  std::vector<std::uint32_t> order(n);
  std::vector<std::uint32_t> group(n);
  std::vector<std::uint32_t> count(std::max<std::size_t>(257, n), 0);
  for (std::size_t i = 0; i < n; ++i) ++count[symbol[i]];
  for (std::size_t c = 1; c < 257; ++c) count[c] += count[c - 1];
  for (std::size_t i = n; i-- > 0;) order[--count[symbol[i]]] = static_cast<std::uint32_t>(i);
  std::uint32_t groups = 1;
  group[order[0]] = 0;
  for (std::size_t i = 1; i < n; ++i) {
    if (symbol[order[i]] != symbol[order[i - 1]]) ++groups;
    group[order[i]] = groups - 1;
  }

  // Rotations sorted by their first 2h characters, from those sorted by h.
  std::vector<std::uint32_t> shifted(n);
  std::vector<std::uint32_t> next(n);
  for (std::size_t h = 1; h < n && groups < n; h *= 2) {
    for (std::size_t i = 0; i < n; ++i) shifted[i] = static_cast<std::uint32_t>((order[i] + n - h) % n);
    std::fill(count.begin(), count.begin() + groups, 0);
    for (std::size_t i = 0; i < n; ++i) ++count[group[shifted[i]]];
    for (std::size_t g = 1; g < groups; ++g) count[g] += count[g - 1];
    for (std::size_t i = n; i-- > 0;) order[--count[group[shifted[i]]]] = shifted[i];
    groups = 1;
    next[order[0]] = 0;
    for (std::size_t i = 1; i < n; ++i) {
      const std::uint32_t a = order[i];
      const std::uint32_t b = order[i - 1];
      if (group[a] != group[b] || group[(a + h) % n] != group[(b + h) % n]) ++groups;
      next[a] = groups - 1;
    }
    group.swap(next);
  }

  // The common prefix of each suffix with the one after it in the order,
  // shrinking by at most one from a suffix to the next (Kasai et al.).
  m_rank.resize(n);
  for (std::size_t i = 0; i < n; ++i) m_rank[order[i]] = static_cast<std::uint32_t>(i);
  std::vector<std::uint32_t> common(n, 0);
  std::size_t k = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (m_rank[i] + 1 == n) {
      k = 0;
      continue;
    }
    const std::size_t j = order[m_rank[i] + 1];
    while (i + k < n && j + k < n && symbol[i + k] == symbol[j + k] && symbol[i + k] != 0) ++k;
    common[m_rank[i]] = static_cast<std::uint32_t>(k);
    if (k > 0) --k;
  }

  m_minima.push_back(std::move(common));
  for (std::size_t span = 2; span <= n; span *= 2) {
    const std::vector<std::uint32_t>& half = m_minima.back();
    std::vector<std::uint32_t> level(n - span + 1);
    for (std::size_t i = 0; i + span <= n; ++i) level[i] = std::min(half[i], half[i + span / 2]);
    m_minima.push_back(std::move(level));
  }
}

std::size_t TSuffixLcp::Of(std::size_t a, std::size_t b) const {
  if (a == b) return m_length - a;
  std::size_t low = std::min(m_rank[a], m_rank[b]);
  const std::size_t high = std::max(m_rank[a], m_rank[b]);
  // The least of common[low .. high - 1], from two stretches that cover it.
  const std::size_t span = high - low;
  const auto level = static_cast<std::size_t>(std::bit_width(span) - 1);
  return std::min(m_minima[level][low], m_minima[level][high - (std::size_t{1} << level)]);
}

} // namespace curvella
