#include "export/Bitmap.h"

#include <array>
#include <limits>
#include <span>
#include <vector>

#include "numtext/Errors.h"
#include "platform/Display.h"
#include "platform/Files.h"

namespace curvella {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kWhitePixel = 0xFFFFFFFF;

bool IsFileDepth(int depth) {
  return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

// A display of 8 bits or fewer may have a depth no BMP file has (2 bits).
int FileDepthOf(int displayDepth) {
  if (displayDepth > 8) return displayDepth;
  if (displayDepth <= 1) return 1;
  return displayDepth <= 4 ? 4 : 8;
}

void Put16(char* out, std::uint32_t value) {
  out[0] = static_cast<char>(value & 0xFF);
  out[1] = static_cast<char>((value >> 8) & 0xFF);
}

void Put32(char* out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out + 2, value >> 16);
}

// The colour table as 0xRRGGBB, the order of the file's entries.
std::vector<std::uint32_t> PaletteOf(int depth) {
  if (depth == 1) return {0x000000, 0xFFFFFF};
  std::vector<std::uint32_t> colors = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                       0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                       0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  if (depth == 4) return colors;
  for (std::uint32_t r = 0; r < 6; ++r) {
    for (std::uint32_t g = 0; g < 6; ++g) {
      for (std::uint32_t b = 0; b < 6; ++b) colors.push_back((r * 51) << 16 | (g * 51) << 8 | b * 51);
    }
  }
  // Grays between the cube's, to fill the 256 entries.
  for (std::uint32_t v = 8; colors.size() < 256; v += 10) colors.push_back(v << 16 | v << 8 | v);
  return colors;
}

// The nearest entry of a table, remembered per colour: a chart has few
// colours, and a search per pixel would dominate the writing.
class TNearestColor {
public:
  explicit TNearestColor(std::span<const std::uint32_t> palette) : m_palette(palette) { m_keys.fill(kNoKey); }

  std::uint8_t IndexOf(std::uint32_t pixel) {
    const std::uint32_t rgb = pixel & 0xFFFFFF;
    const std::size_t slot = ((rgb * 0x9E3779B1u) >> 20) & (kSlots - 1);
    if (m_keys[slot] != rgb) {
      m_keys[slot] = rgb;
      m_values[slot] = Search(rgb);
    }
    return m_values[slot];
  }

private:
  static constexpr std::size_t kSlots = 4096;
  // No colour has bits above the 24.
  static constexpr std::uint32_t kNoKey = 0xFF000000;

  std::uint8_t Search(std::uint32_t rgb) const {
    std::size_t best = 0;
    std::int32_t bestDistance = std::numeric_limits<std::int32_t>::max();
    for (std::size_t i = 0; i < m_palette.size(); ++i) {
      const std::int32_t dr = static_cast<std::int32_t>((rgb >> 16) & 0xFF) - ((m_palette[i] >> 16) & 0xFF);
      const std::int32_t dg = static_cast<std::int32_t>((rgb >> 8) & 0xFF) - ((m_palette[i] >> 8) & 0xFF);
      const std::int32_t db = static_cast<std::int32_t>(rgb & 0xFF) - (m_palette[i] & 0xFF);
      const std::int32_t distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) {
        best = i;
        bestDistance = distance;
      }
    }
    return static_cast<std::uint8_t>(best);
  }

  std::span<const std::uint32_t> m_palette;
  std::array<std::uint32_t, kSlots> m_keys;
  std::array<std::uint8_t, kSlots> m_values{};
};

// White when the luminance is at least half.
std::uint8_t MonochromeIndex(std::uint32_t pixel) {
  const std::uint32_t luminance =
      77 * ((pixel >> 16) & 0xFF) + 150 * ((pixel >> 8) & 0xFF) + 29 * (pixel & 0xFF);
  return luminance >= 128 * 256 ? 1 : 0;
}

// One row of the file from one row of 0xFFRRGGBB pixels; out is zeroed.
void WriteRow(const std::uint32_t* pixels, std::int32_t width, int depth, TNearestColor* nearest,
              unsigned char* out) {
  switch (depth) {
  case 32:
    for (std::int32_t x = 0; x < width; ++x, out += 4) {
      const std::uint32_t p = pixels[x];
      out[0] = static_cast<unsigned char>(p);
      out[1] = static_cast<unsigned char>(p >> 8);
      out[2] = static_cast<unsigned char>(p >> 16);
    }
    break;
  case 24:
    for (std::int32_t x = 0; x < width; ++x, out += 3) {
      const std::uint32_t p = pixels[x];
      out[0] = static_cast<unsigned char>(p);
      out[1] = static_cast<unsigned char>(p >> 8);
      out[2] = static_cast<unsigned char>(p >> 16);
    }
    break;
  case 16:
    for (std::int32_t x = 0; x < width; ++x, out += 2) {
      const std::uint32_t p = pixels[x];
      const std::uint32_t v = ((p >> 19) & 0x1F) << 10 | ((p >> 11) & 0x1F) << 5 | ((p >> 3) & 0x1F);
      out[0] = static_cast<unsigned char>(v);
      out[1] = static_cast<unsigned char>(v >> 8);
    }
    break;
  case 8:
    for (std::int32_t x = 0; x < width; ++x) out[x] = nearest->IndexOf(pixels[x]);
    break;
  case 4:
    for (std::int32_t x = 0; x < width; ++x)
      out[x / 2] |= static_cast<unsigned char>(nearest->IndexOf(pixels[x]) << (x % 2 == 0 ? 4 : 0));
    break;
  case 1:
    for (std::int32_t x = 0; x < width; ++x)
      out[x / 8] |= static_cast<unsigned char>(MonochromeIndex(pixels[x]) << (7 - x % 8));
    break;
  }
}

} // namespace

TBitmap::TBitmap(int depth) : m_depth(depth == 0 ? 32 : depth), m_fixedDepth(depth), m_canvas(&m_device) {
  if (depth != 0 && !IsFileDepth(depth)) throw Exception("Invalid bitmap depth " + std::to_string(depth));
}

TBitmap::~TBitmap() = default;

int TBitmap::StoreDepth() const {
  if (m_monochrome) return 1;
  return m_fixedDepth != 0 ? m_fixedDepth : FileDepthOf(DisplayColorDepth());
}

void TBitmap::Resize(std::int32_t width, std::int32_t height) {
  if (width < 0 || height < 0) {
    throw Exception("Cannot create a bitmap of " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels");
  }
  if (width == 0 || height == 0) {
    m_image = QImage();
    m_device.Bind(nullptr);
  } else {
    QImage image(width, height, QImage::Format_RGB32);
    // Qt gives a null image when the pixels cannot be had.
    if (image.isNull()) throw EOutOfResources();
    image.fill(kWhitePixel);
    m_image = std::move(image);
    m_depth = StoreDepth();
    m_device.Bind(&m_image);
  }
  m_width = width;
  m_height = height;
}

void TBitmap::SetWidth(std::int32_t width) {
  if (width != m_width) Resize(width, m_height);
}

void TBitmap::SetHeight(std::int32_t height) {
  if (height != m_height) Resize(m_width, height);
}

void TBitmap::SetMonochrome(bool monochrome) {
  if (monochrome == m_monochrome) return;
  m_monochrome = monochrome;
  if (!Empty()) m_depth = StoreDepth();
}

std::string TBitmap::BmpBytes() const {
  std::string bytes;
  WriteBmp([&](std::string_view piece) { bytes.append(piece); });
  return bytes;
}

void TBitmap::WriteBmp(const std::function<void(std::string_view)>& out) const {
  if (Empty()) return;
  const std::uint64_t width = static_cast<std::uint64_t>(m_width);
  const std::uint64_t height = static_cast<std::uint64_t>(m_height);
  const std::uint64_t rowSize = (width * static_cast<std::uint64_t>(m_depth) + 31) / 32 * 4;
  const std::vector<std::uint32_t> palette = m_depth <= 8 ? PaletteOf(m_depth) : std::vector<std::uint32_t>{};
  const std::uint64_t offBits = kFileHeaderSize + kInfoHeaderSize + 4 * palette.size();
  const std::uint64_t imageSize = rowSize * height;
  if (offBits + imageSize > std::numeric_limits<std::uint32_t>::max())
    throw Exception("The bitmap is too large for a BMP file");

  std::string header(offBits, '\0');
  header[0] = 'B';
  header[1] = 'M';
  Put32(header.data() + 2, static_cast<std::uint32_t>(offBits + imageSize));
  Put32(header.data() + 10, static_cast<std::uint32_t>(offBits));
  char* info = header.data() + kFileHeaderSize;
  Put32(info, kInfoHeaderSize);
  Put32(info + 4, static_cast<std::uint32_t>(m_width));
  Put32(info + 8, static_cast<std::uint32_t>(m_height));
  Put16(info + 12, 1);
  Put16(info + 14, static_cast<std::uint32_t>(m_depth));
  Put32(info + 20, static_cast<std::uint32_t>(imageSize));
  Put32(info + 32, static_cast<std::uint32_t>(palette.size()));
  char* table = info + kInfoHeaderSize;
  for (std::size_t i = 0; i < palette.size(); ++i) Put32(table + 4 * i, palette[i]);
  out(header);

  std::unique_ptr<TNearestColor> nearest;
  if (m_depth == 4 || m_depth == 8) nearest = std::make_unique<TNearestColor>(palette);
  // Bands of rows of about 256 KB, bottom row first.
  const std::uint64_t bandRows = std::max<std::uint64_t>(1, (256 * 1024) / rowSize);
  std::string band;
  for (std::uint64_t done = 0; done < height;) {
    const std::uint64_t rows = std::min(bandRows, height - done);
    band.assign(rows * rowSize, '\0');
    auto* bandBytes = reinterpret_cast<unsigned char*>(band.data());
    for (std::uint64_t i = 0; i < rows; ++i) {
      const auto y = static_cast<int>(height - 1 - (done + i));
      const auto* pixels = reinterpret_cast<const std::uint32_t*>(m_image.constScanLine(y));
      WriteRow(pixels, m_width, m_depth, nearest.get(), bandBytes + i * rowSize);
    }
    out(band);
    done += rows;
  }
}

void TBitmap::SaveToFile(const std::string& path) const {
  SavePictureFile(path,
                  [&](TFileWriter& file) { WriteBmp([&](std::string_view piece) { file.Write(piece); }); });
}

} // namespace curvella
