#pragma once

// Draws that changed no pixel. A draw is a fixed function of its
// description (what, where, colour, clip, pixel format) and of the pixels of
// the area it can touch; if it left that area as it found it once, the same
// draw over the same pixels leaves them again, and can be skipped.
// Antialiased text drawn again over itself is no such draw at first (each
// time it blends its edges darker), but its pixels settle after some dozen
// times: from then on a label repeated thousands of times costs a look-up
// and a comparison instead of a drawing.
//
//   settled.Remember(Hash(key), key, area, image)   after a draw that changed nothing
//   settled.Settled(Hash(key), key, area, image)    -> true while the area is unchanged

#include <cstdint>
#include <span>
#include <vector>

#include <QImage>

#include "platform/GraphicsTypes.h"

namespace curvella {

// The pixels of an area of a 32-bit image, row by row.
void CopyPixels(const QImage& image, const TRect& area, std::vector<std::uint32_t>& pixels);
bool SamePixels(const QImage& image, const TRect& area, std::span<const std::uint32_t> pixels);

class TSettledDraws {
public:
  // Remembers at most slotCount draws (a power of two), one per slot of
  // its key's hash.
  explicit TSettledDraws(std::size_t slotCount) : m_slotCount(slotCount) {}

  // The hash of a key, chained so that keys sharing their start hash it
  // once: Hash(b, Hash(a)) is the hash of a followed by b.
  static constexpr std::uint64_t kHashStart = 14695981039346656037ull;
  static std::uint64_t Hash(std::span<const std::uint32_t> words, std::uint64_t hash = kHashStart) {
    // FNV-1a over the words.
    for (const std::uint32_t word : words) hash = (hash ^ word) * 1099511628211ull;
    return hash;
  }

  // Whether the draw described by key (of that hash) changed none of the
  // area's pixels when last remembered, and the area holds the same pixels
  // now.
  bool Settled(std::uint64_t hash, std::span<const std::uint32_t> key, const TRect& area,
               const QImage& image) const;
  // The draw described by key changed none of the area's pixels, which the
  // image holds now.
  void Remember(std::uint64_t hash, std::span<const std::uint32_t> key, const TRect& area,
                const QImage& image);

private:
  struct TEntry {
    std::vector<std::uint32_t> Key;
    TRect Area;
    std::vector<std::uint32_t> Pixels;
  };
  std::size_t m_slotCount;
  // A draw takes the place of the one in its slot; the slots keep their
  // room. Made at the first draw remembered: most devices remember none.
  std::vector<TEntry> m_entries;
};

} // namespace curvella
