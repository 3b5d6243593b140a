#include "platform/Fonts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>

#include <QFontMetrics>
#include <QGlyphRun>
#include <QTextLayout>

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

// Texts looked up as they come, without a string made for each look-up.
struct TTextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// What is known of a text in a font: its width once measured, its glyphs
// once shaped.
struct TTextFacts {
  std::optional<int> Width;
  bool Asked = false;
  bool Shaped = false;
  std::optional<TShapedText> Shape;
};

// The facts of texts, up to a number of texts, after which they start
// afresh. Measuring and drawing one label look its text up several times in
// a row, and a look-up among thousands of texts costs cache misses: the last
// few texts are looked at first.
class TTextCache {
public:
  TTextFacts& Get(std::string_view text) {
    for (const TRecent& recent : m_recent) {
      if (recent.Facts && recent.Text == text) return *recent.Facts;
    }
    auto found = m_facts.find(text);
    if (found == m_facts.end()) {
      if (m_facts.size() >= kCapacity) {
        m_facts.clear();
        m_recent = {};
      }
      found = m_facts.emplace(std::string(text), TTextFacts{}).first;
    }
    // The map's nodes stay where they are until it is cleared.
    m_recent[m_next] = {found->first, &found->second};
    m_next = (m_next + 1) % m_recent.size();
    return found->second;
  }

private:
  // More distinct texts than a chart has labels.
  static constexpr std::size_t kCapacity = 16384;
  struct TRecent {
    std::string_view Text;
    TTextFacts* Facts = nullptr;
  };
  std::unordered_map<std::string, TTextFacts, TTextHash, std::equal_to<>> m_facts;
  std::array<TRecent, 4> m_recent{};
  std::size_t m_next = 0;
};

// Texts laid out glyph by glyph without Qt's shaping. Where a character
// shapes alone into one glyph, and each pair of neighbours in a text shapes
// into their two glyphs, the second placed at the first one's advance moved
// by the pair's kerning, and measures as their advances and kerning added in
// 64ths of a pixel and rounded as Qt rounds a text's width, the text is its
// characters' glyphs one after another: an axis's labels are thousands of
// new texts of a dozen characters.
struct TComposition {
  enum class TState : std::uint8_t { Unknown, Composes, Refused };
  std::array<TState, 256> State{};
  // The character shaped alone; its ink box across the baseline is the
  // same wherever it stands.
  std::array<TShapedGlyph, 256> Glyph{};
  // Its glyph's ink left and right of the glyph's origin, in 64ths of a
  // pixel: fonts place ink on whole 64ths, so a composed glyph's ink box
  // is found in integers.
  std::array<std::int32_t, 256> InkLeft64{};
  std::array<std::int32_t, 256> InkRight64{};
  std::array<std::int32_t, 256> Advance64{};
  std::optional<QRawFont> Face;
  std::uint32_t FaceId = 0;
  std::vector<TState> Pairs; // first * 256 + second, made at the first pair asked for
  // Kerning: the second glyph's shift from the first one's advance, in
  // 64ths of a pixel, for each pair that composes.
  std::vector<std::int16_t> Kern64;
  // Three characters around a kerned pair, first << 16 | second << 8 |
  // third: whether they lay out as their two pairs do.
  std::unordered_map<std::uint32_t, bool> Triples;
  // The last text composed: composing costs less than looking a text up.
  TShapedText Composed;
};

// Fonts and metrics are asked for thousands of times per drawing pass with
// a handful of descriptions: they are resolved once each.
struct TResolvedFont {
  QFont Font;
  TFontMetricsInfo Metrics;
  // An axis measures and draws the same label texts again and again, and
  // shaping a text costs microseconds.
  mutable TTextCache Texts;
  mutable TComposition Composition;
};

// Glyph places in 64ths stay exact in an int32 this far from the origin,
// ink boxes in an int16.
constexpr double kMaxGlyphOffset = 16384;
// A composed character's advance, kerning and ink reach less than this, in
// 64ths of a pixel: a composed text of 256 characters keeps its ink boxes
// within an int16. Larger type is shaped by Qt.
constexpr std::int32_t kMaxComposedStep = 32 * 64;

TResolvedFont Resolve(const TFontSpec& description) {
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
  return {font, {metrics.ascent(), metrics.descent(), metrics.height()}};
}

bool SameLook(const TFontSpec& a, const TFontSpec& b) {
  return a.Height == b.Height && a.Style == b.Style && a.Name == b.Name;
}

const TResolvedFont& Resolved(const TFontSpec& description) {
  static std::map<TFontKey, TResolvedFont> cache;
  // A label's measuring and drawing ask for the same font several times in
  // a row.
  static TFontSpec lastDescription;
  static const TResolvedFont* last = nullptr;
  if (last && SameLook(description, lastDescription)) return *last;
  const TFontKey key = KeyOf(description);
  auto found = cache.find(key);
  if (found == cache.end()) found = cache.emplace(key, Resolve(description)).first;
  lastDescription = description;
  last = &found->second;
  return *last;
}

std::uint32_t FaceIdOf(const QRawFont& face) {
  static std::vector<QRawFont> faces;
  const auto found = std::find(faces.begin(), faces.end(), face);
  if (found != faces.end()) return static_cast<std::uint32_t>(found - faces.begin());
  faces.push_back(face);
  return static_cast<std::uint32_t>(faces.size() - 1);
}

// The glyphs Qt's text drawing draws for the text as one line from the
// left, the places of its glyphs as its own shaping gives them.
std::optional<TShapedText> Shape(const QFont& font, std::string_view text) {
  if (font.underline() || font.strikeOut() || font.overline()) return {};
  const QString unicode = FromWindows1252(text);
  for (const QChar c : unicode) {
    if (!c.isPrint()) return {};
  }
  QTextLayout layout(unicode, font);
  QTextOption option;
  option.setTextDirection(Qt::LeftToRight);
  option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (line.isValid()) line.setNumColumns(static_cast<int>(unicode.size()));
  layout.endLayout();
  if (!line.isValid()) return {};
  const QList<QGlyphRun> runs = line.glyphRuns();
  if (runs.size() != 1) return {};
  const QGlyphRun& run = runs.front();
  if (run.overline() || run.underline() || run.strikeOut() || run.isRightToLeft()) return {};
  const QList<quint32> indexes = run.glyphIndexes();
  const QList<QPointF> positions = run.positions();
  if (indexes.size() != positions.size()) return {};
  const double baseline = line.ascent();
  const double advance = line.horizontalAdvance();
  if (!(std::abs(advance) < kMaxGlyphOffset) || advance * 64 != std::floor(advance * 64)) return {};
  TShapedText shaped{run.rawFont(), FaceIdOf(run.rawFont()), {}, static_cast<std::int32_t>(advance * 64)};
  shaped.Glyphs.reserve(static_cast<std::size_t>(indexes.size()));
  for (qsizetype i = 0; i < indexes.size(); ++i) {
    const double x = positions[i].x();
    const double y = positions[i].y() - baseline;
    const QRectF ink = shaped.Face.boundingRect(indexes[i]);
    const double box[] = {std::floor(x + ink.left()), std::floor(y + ink.top()), std::ceil(x + ink.right()),
                          std::ceil(y + ink.bottom())};
    for (const double v : {x, y, box[0], box[1], box[2], box[3]}) {
      if (!(std::abs(v) < kMaxGlyphOffset)) return {};
    }
    // Places are whole 64ths (Qt's fixed point); anything else is not ours
    // to round.
    if (x * 64 != std::floor(x * 64) || y * 64 != std::floor(y * 64)) return {};
    shaped.Glyphs.push_back({indexes[i], static_cast<std::int32_t>(x * 64), static_cast<std::int32_t>(y * 64),
                             static_cast<std::int16_t>(box[0]), static_cast<std::int16_t>(box[1]),
                             static_cast<std::int16_t>(box[2]), static_cast<std::int16_t>(box[3])});
  }
  std::int16_t restLeft = std::numeric_limits<std::int16_t>::max();
  for (auto g = shaped.Glyphs.rbegin(); g != shaped.Glyphs.rend(); ++g) {
    restLeft = std::min(restLeft, g->InkLeft);
    g->RestLeft = restLeft;
  }
  return shaped;
}

int QtWidth(const QFont& font, std::string_view text) {
  return QFontMetrics(font).horizontalAdvance(FromWindows1252(text));
}

// A width in 64ths rounded to whole pixels, half up, as Qt's fixed point
// rounds it.
int RoundedWidth(std::int64_t width64) { return static_cast<int>(((width64 + 32) & -64) >> 6); }

// Whether character c shapes alone into one glyph of the font's one face,
// measuring as its advance rounded; learnt the first time c is asked for.
bool ComposesAlone(const TResolvedFont& resolved, unsigned char c) {
  TComposition& composition = resolved.Composition;
  if (composition.State[c] != TComposition::TState::Unknown)
    return composition.State[c] == TComposition::TState::Composes;
  composition.State[c] = TComposition::TState::Refused;
  const char own = static_cast<char>(c);
  const std::optional<TShapedText> alone = Shape(resolved.Font, std::string_view(&own, 1));
  if (!alone || alone->Glyphs.size() != 1) return false;
  const TShapedGlyph& glyph = alone->Glyphs[0];
  const std::int32_t advance = alone->Advance64;
  if (glyph.X64 != 0 || advance <= 0 ||
      QtWidth(resolved.Font, std::string_view(&own, 1)) != RoundedWidth(advance))
    return false;
  if (composition.Face && !(alone->Face == *composition.Face)) return false;
  const QRectF ink = alone->Face.boundingRect(glyph.Index);
  const double left64 = ink.left() * 64;
  const double right64 = ink.right() * 64;
  if (left64 != std::floor(left64) || right64 != std::floor(right64) ||
      !(std::abs(left64) < kMaxComposedStep) || !(std::abs(right64) < kMaxComposedStep) ||
      advance >= kMaxComposedStep)
    return false;
  if (!composition.Face) {
    composition.Face = alone->Face;
    composition.FaceId = alone->FaceId;
  }
  composition.State[c] = TComposition::TState::Composes;
  composition.Glyph[c] = glyph;
  composition.InkLeft64[c] = static_cast<std::int32_t>(left64);
  composition.InkRight64[c] = static_cast<std::int32_t>(right64);
  composition.Advance64[c] = advance;
  return true;
}

// Whether the pair shapes into the two characters' own glyphs, the second at
// the first one's advance moved by the pair's kerning, and measures as their
// advances and the kerning added.
bool ComposesPair(const TResolvedFont& resolved, unsigned char first, unsigned char second) {
  TComposition& composition = resolved.Composition;
  if (composition.Pairs.empty()) {
    composition.Pairs.resize(256 * 256, TComposition::TState::Unknown);
    composition.Kern64.resize(256 * 256, 0);
  }
  const std::size_t slot = first * 256 + second;
  TComposition::TState& state = composition.Pairs[slot];
  if (state != TComposition::TState::Unknown) return state == TComposition::TState::Composes;
  state = TComposition::TState::Refused;
  const std::string text{static_cast<char>(first), static_cast<char>(second)};
  const std::optional<TShapedText> pair = Shape(resolved.Font, text);
  if (!pair || pair->Glyphs.size() != 2 || !(pair->Face == *composition.Face)) return false;
  const TShapedGlyph& a = pair->Glyphs[0];
  const TShapedGlyph& b = pair->Glyphs[1];
  const TShapedGlyph& aAlone = composition.Glyph[first];
  const TShapedGlyph& bAlone = composition.Glyph[second];
  const std::int32_t kern = b.X64 - composition.Advance64[first];
  // Kerning that moves only the pen: what follows the second glyph moves
  // with it.
  if (a.Index != aAlone.Index || a.X64 != 0 || a.Y64 != aAlone.Y64 || b.Index != bAlone.Index ||
      b.Y64 != bAlone.Y64 || pair->Advance64 != b.X64 + composition.Advance64[second] ||
      std::abs(kern) >= kMaxComposedStep || QtWidth(resolved.Font, text) != RoundedWidth(pair->Advance64))
    return false;
  composition.Kern64[slot] = static_cast<std::int16_t>(kern);
  state = TComposition::TState::Composes;
  return true;
}

std::int32_t Kern64(const TComposition& composition, unsigned char first, unsigned char second) {
  return composition.Kern64[first * 256 + second];
}

// The pen's moves after each character of a composing text, its advance
// and the kerning with the next one.
template <class TVisit>
void ForEachAdvance(const TComposition& composition, std::string_view text, TVisit visit) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::int32_t kern =
        i + 1 < text.size() ? Kern64(composition, c, static_cast<unsigned char>(text[i + 1])) : 0;
    visit(c, composition.Advance64[c] + kern);
  }
}

// Whether three characters lay out as their pairs do: a font's kerning of
// one pair may leave out its kerning of the next, which pairs alone do not
// show.
bool ComposesTriple(const TResolvedFont& resolved, std::string_view triple) {
  TComposition& composition = resolved.Composition;
  const auto byte = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(triple[i]));
  };
  const auto [found, added] = composition.Triples.try_emplace(byte(0) << 16 | byte(1) << 8 | byte(2), false);
  if (!added) return found->second;
  const std::optional<TShapedText> shaped = Shape(resolved.Font, triple);
  if (!shaped || shaped->Glyphs.size() != 3 || !(shaped->Face == *composition.Face)) return false;
  std::int32_t x64 = 0;
  std::size_t i = 0;
  bool same = true;
  ForEachAdvance(composition, triple, [&](unsigned char c, std::int32_t advance) {
    const TShapedGlyph& glyph = shaped->Glyphs[i++];
    same = same && glyph.Index == composition.Glyph[c].Index && glyph.X64 == x64 &&
           glyph.Y64 == composition.Glyph[c].Y64;
    x64 += advance;
  });
  found->second = same && shaped->Advance64 == x64 && QtWidth(resolved.Font, triple) == RoundedWidth(x64);
  return found->second;
}

// A text composes when each of its characters and each pair of neighbours
// does, and the three characters around each kerned pair.
bool Composes(const TResolvedFont& resolved, std::string_view text) {
  if (text.size() > 256) return false; // places stay far within their bounds
  for (const char c : text) {
    if (!ComposesAlone(resolved, static_cast<unsigned char>(c))) return false;
  }
  bool kerned = false;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const auto first = static_cast<unsigned char>(text[i - 1]);
    const auto second = static_cast<unsigned char>(text[i]);
    if (!ComposesPair(resolved, first, second)) return false;
    kerned = kerned || Kern64(resolved.Composition, first, second) != 0;
  }
  if (!kerned) return true;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (Kern64(resolved.Composition, static_cast<unsigned char>(text[i - 1]),
               static_cast<unsigned char>(text[i])) == 0)
      continue;
    if (i >= 2 && !ComposesTriple(resolved, text.substr(i - 2, 3))) return false;
    if (i + 1 < text.size() && !ComposesTriple(resolved, text.substr(i - 1, 3))) return false;
  }
  return true;
}

// The glyphs of a composing text, placed as Shape places them: the ink box
// of a glyph at x64 is floor((x64 + left64) / 64) to ceil((x64 + right64) /
// 64), exactly what Shape finds in doubles of whole 64ths. Valid until the
// next text is composed in the font.
const TShapedText& Compose(const TResolvedFont& resolved, std::string_view text) {
  TComposition& composition = resolved.Composition;
  TShapedText& shaped = composition.Composed;
  if (shaped.Face != *composition.Face) {
    shaped.Face = *composition.Face;
    shaped.FaceId = composition.FaceId;
  }
  shaped.Glyphs.resize(text.size());
  std::int32_t x64 = 0;
  TShapedGlyph* glyph = shaped.Glyphs.data();
  ForEachAdvance(composition, text, [&](unsigned char c, std::int32_t advance) {
    *glyph = composition.Glyph[c];
    glyph->X64 = x64;
    glyph->InkLeft = static_cast<std::int16_t>((x64 + composition.InkLeft64[c]) >> 6);
    glyph->InkRight = static_cast<std::int16_t>((x64 + composition.InkRight64[c] + 63) >> 6);
    ++glyph;
    x64 += advance;
  });
  shaped.Advance64 = x64;
  std::int16_t restLeft = std::numeric_limits<std::int16_t>::max();
  for (auto g = shaped.Glyphs.rbegin(); g != shaped.Glyphs.rend(); ++g) {
    restLeft = std::min(restLeft, g->InkLeft);
    g->RestLeft = restLeft;
  }
  return shaped;
}

} // namespace

std::int32_t FontHeightOfSize(std::int32_t points) { return -MulDiv(points, kPixelsPerInch, 72); }

std::int32_t FontSizeOfHeight(std::int32_t height) { return -MulDiv(height, 72, kPixelsPerInch); }

QFont ResolveFont(const TFontSpec& font) { return Resolved(font).Font; }

TFontMetricsInfo FontMetrics(const TFontSpec& font) { return Resolved(font).Metrics; }

TSize TextExtent(const TFontSpec& font, std::string_view text) {
  const TResolvedFont& resolved = Resolved(font);
  if (text.empty()) return {0, resolved.Metrics.Height};
  // Adding a composing text's advances costs less than looking it up.
  if (Composes(resolved, text)) {
    std::int64_t width64 = 0;
    ForEachAdvance(resolved.Composition, text,
                   [&](unsigned char, std::int32_t advance) { width64 += advance; });
    return {RoundedWidth(width64), resolved.Metrics.Height};
  }
  TTextFacts& facts = resolved.Texts.Get(text);
  if (!facts.Width) facts.Width = QtWidth(resolved.Font, text);
  return {*facts.Width, resolved.Metrics.Height};
}

const TShapedText* ShapeText(const TFontSpec& font, std::string_view text, bool repeatedOnly) {
  const TResolvedFont& resolved = Resolved(font);
  // A composing text costs no shaping, the first time either.
  if (Composes(resolved, text)) return &Compose(resolved, text);
  TTextFacts& facts = resolved.Texts.Get(text);
  if (!facts.Shaped) {
    const bool firstAsk = !facts.Asked;
    facts.Asked = true;
    if (repeatedOnly && firstAsk) return nullptr;
    facts.Shape = Shape(resolved.Font, text);
    facts.Shaped = true;
  }
  return facts.Shape ? &*facts.Shape : nullptr;
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
