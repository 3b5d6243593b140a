#include "platform/SettledDraws.h"

#include <algorithm>
#include <cstring>

namespace curvella {

namespace {

const std::uint32_t* FirstPixel(const QImage& image, const TRect& area) {
  return reinterpret_cast<const std::uint32_t*>(image.constBits() + area.Top * image.bytesPerLine()) +
         area.Left;
}

} // namespace

void CopyPixels(const QImage& image, const TRect& area, std::vector<std::uint32_t>& pixels) {
  const auto width = static_cast<std::size_t>(area.Width());
  pixels.resize(width * static_cast<std::size_t>(area.Height()));
  const std::size_t stride = static_cast<std::size_t>(image.bytesPerLine()) / sizeof(std::uint32_t);
  const std::uint32_t* row = FirstPixel(image, area);
  for (std::uint32_t* to = pixels.data(); to != pixels.data() + pixels.size(); to += width, row += stride) {
    std::memcpy(to, row, width * sizeof(std::uint32_t));
  }
}

bool SamePixels(const QImage& image, const TRect& area, std::span<const std::uint32_t> pixels) {
  const auto width = static_cast<std::size_t>(area.Width());
  if (pixels.size() != width * static_cast<std::size_t>(area.Height())) return false;
  const std::size_t stride = static_cast<std::size_t>(image.bytesPerLine()) / sizeof(std::uint32_t);
  const std::uint32_t* row = FirstPixel(image, area);
  // A glyph's rows are a few pixels: compared without a call each.
  constexpr std::size_t kNarrow = 16;
  for (const std::uint32_t* from = pixels.data(); from != pixels.data() + pixels.size();
       from += width, row += stride) {
    if (width > kNarrow) {
      if (std::memcmp(from, row, width * sizeof(std::uint32_t)) != 0) return false;
      continue;
    }
    std::uint32_t differs = 0;
    for (std::size_t x = 0; x < width; ++x) differs |= from[x] ^ row[x];
    if (differs != 0) return false;
  }
  return true;
}

bool TSettledDraws::Settled(std::uint64_t hash, std::span<const std::uint32_t> key, const TRect& area,
                            const QImage& image) const {
  if (m_entries.empty()) return false;
  const TEntry& entry = m_entries[hash & (m_slotCount - 1)];
  return entry.Area == area && std::equal(key.begin(), key.end(), entry.Key.begin(), entry.Key.end()) &&
         SamePixels(image, area, entry.Pixels);
}

void TSettledDraws::Remember(std::uint64_t hash, std::span<const std::uint32_t> key, const TRect& area,
                             const QImage& image) {
  if (m_entries.empty()) m_entries.resize(m_slotCount);
  TEntry& entry = m_entries[hash & (m_slotCount - 1)];
  entry.Key.assign(key.begin(), key.end());
  entry.Area = area;
  CopyPixels(image, area, entry.Pixels);
}

} // namespace curvella
