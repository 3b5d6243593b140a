#include "platform/Fonts.h"

#include <map>
#include <string>
#include <tuple>
#include <unordered_map>

#include <QFontMetrics>

#include "platform/Locale.h"

namespace curvella {

namespace {

// The faces Curvella names, and the installed fonts that stand in for them.
QString FaceFor(const std::string& name) {
  if (name == "Arial") return QStringLiteral("Liberation Sans");
  if (name == "MS Sans Serif") return QStringLiteral("DejaVu Sans");
  return QString::fromStdString(name);
}

// DejaVu Sans runs about a sixth wider than the face it stands in for, whose
// widths the window's stored layout was made with; it is narrowed to fit.
constexpr int kNarrowedStretch = 85;

// What a font looks like, without what only changes where it goes.
using TFontKey = std::tuple<std::string, std::int32_t, bool, bool, bool, bool>;

TFontKey KeyOf(const TFontSpec& font) {
  return {font.Name,         font.Height,          font.Style.Bold,
          font.Style.Italic, font.Style.Underline, font.Style.StrikeOut};
}

// Fonts and metrics are asked for thousands of times per drawing pass with
// a handful of descriptions: they are resolved once each.
struct TResolvedFont {
  QFont Font;
  TFontMetricsInfo Metrics;
  // Widths of texts measured in the font: an axis measures the same label
  // texts again and again, and shaping a text costs microseconds.
  mutable std::unordered_map<std::string, int> Widths;
};

// More distinct texts than a chart has labels: the widths start afresh.
constexpr std::size_t kMaxRememberedWidths = 16384;

const TResolvedFont& Resolved(const TFontSpec& description) {
  static std::map<TFontKey, TResolvedFont> cache;
  const TFontKey key = KeyOf(description);
  auto found = cache.find(key);
  if (found != cache.end()) return found->second;

  QFont font(FaceFor(description.Name));
  if (description.Name == "MS Sans Serif") font.setStretch(kNarrowedStretch);
  font.setBold(description.Style.Bold);
  font.setItalic(description.Style.Italic);
  font.setUnderline(description.Style.Underline);
  font.setStrikeOut(description.Style.StrikeOut);
  if (description.Height < 0) {
    font.setPixelSize(-description.Height);
  } else if (description.Height > 0) {
    // A cell height: the em size that gives that cell.
    font.setPixelSize(description.Height);
    const int cell = QFontMetrics(font).height();
    font.setPixelSize(std::max(1, description.Height * description.Height / std::max(1, cell)));
  } else {
    font.setPixelSize(-FontHeightOfSize(10));
  }
  const QFontMetrics metrics(font);
  TResolvedFont resolved{font, {metrics.ascent(), metrics.descent(), metrics.height()}};
  return cache.emplace(key, std::move(resolved)).first->second;
}

} // namespace

std::int32_t FontHeightOfSize(std::int32_t points) { return -MulDiv(points, kPixelsPerInch, 72); }

std::int32_t FontSizeOfHeight(std::int32_t height) { return -MulDiv(height, 72, kPixelsPerInch); }

QFont ResolveFont(const TFontSpec& font) { return Resolved(font).Font; }

TFontMetricsInfo FontMetrics(const TFontSpec& font) { return Resolved(font).Metrics; }

TSize TextExtent(const TFontSpec& font, std::string_view text) {
  const TResolvedFont& resolved = Resolved(font);
  if (text.empty()) return {0, resolved.Metrics.Height};
  auto found = resolved.Widths.find(std::string(text));
  if (found == resolved.Widths.end()) {
    if (resolved.Widths.size() >= kMaxRememberedWidths) resolved.Widths.clear();
    const int width = QFontMetrics(resolved.Font).horizontalAdvance(FromWindows1252(text));
    found = resolved.Widths.emplace(std::string(text), width).first;
  }
  return {found->second, resolved.Metrics.Height};
}

QString FromWindows1252(std::string_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (char c : text) out.append(QChar(Windows1252Character(c)));
  return out;
}

std::string ToWindows1252(const QString& text) {
  std::string out;
  for (QChar c : text) {
    const std::optional<char> byte = Windows1252Byte(c.unicode());
    out += byte ? *byte : '?';
  }
  return out;
}

TTextPlacement PlaceText(const TFontSpec& font, unsigned textAlign, std::string_view text) {
  TTextPlacement place{.Extent = TextExtent(font, text), .Metrics = FontMetrics(font)};
  const unsigned horizontal = textAlign & TA_CENTER;
  place.Left = horizontal == TA_CENTER  ? -place.Extent.Width / 2
               : horizontal == TA_RIGHT ? -place.Extent.Width
                                        : 0;
  const unsigned vertical = textAlign & TA_BASELINE;
  place.Baseline = vertical == TA_BASELINE ? 0
                   : vertical == TA_BOTTOM ? -place.Metrics.Descent
                                           : place.Metrics.Ascent;
  return place;
}

} // namespace curvella
