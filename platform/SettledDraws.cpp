#include "platform/SettledDraws.h"

#include <algorithm>
#include <cstring>

namespace curvella {

void CopyPixels(const QImage& image, const TRect& area, std::vector<std::uint32_t>& pixels) {
  const auto width = static_cast<std::size_t>(area.Width());
  pixels.resize(width * static_cast<std::size_t>(area.Height()));
  std::uint32_t* to = pixels.data();
  for (std::int32_t y = area.Top; y < area.Bottom; ++y, to += width) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
    std::memcpy(to, row + area.Left, width * sizeof(std::uint32_t));
  }
}

bool SamePixels(const QImage& image, const TRect& area, std::span<const std::uint32_t> pixels) {
  const auto width = static_cast<std::size_t>(area.Width());
  if (pixels.size() != width * static_cast<std::size_t>(area.Height())) return false;
  const std::uint32_t* from = pixels.data();
  for (std::int32_t y = area.Top; y < area.Bottom; ++y, from += width) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
    if (std::memcmp(from, row + area.Left, width * sizeof(std::uint32_t)) != 0) return false;
  }
  return true;
}

std::uint64_t TSettledDraws::HashOf(std::span<const std::uint32_t> key) {
  // FNV-1a over the words.
  std::uint64_t hash = 14695981039346656037ull;
  for (const std::uint32_t word : key) {
    hash ^= word;
    hash *= 1099511628211ull;
  }
  return hash;
}

bool TSettledDraws::Settled(std::span<const std::uint32_t> key, const TRect& area,
                            const QImage& image) const {
  if (m_entries.empty()) return false;
  const TEntry& entry = m_entries[HashOf(key) & (m_slotCount - 1)];
  return entry.Area == area && std::equal(key.begin(), key.end(), entry.Key.begin(), entry.Key.end()) &&
         SamePixels(image, area, entry.Pixels);
}

void TSettledDraws::Remember(std::span<const std::uint32_t> key, const TRect& area, const QImage& image) {
  if (m_entries.empty()) m_entries.resize(m_slotCount);
  TEntry& entry = m_entries[HashOf(key) & (m_slotCount - 1)];
  entry.Key.assign(key.begin(), key.end());
  entry.Area = area;
  CopyPixels(image, area, entry.Pixels);
}

} // namespace curvella
