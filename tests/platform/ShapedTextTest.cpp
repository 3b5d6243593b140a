#include "platform/Fonts.h"
#include "platform/Locale.h"
#include "platform/RasterDevice.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGlyphRun>
#include <QTextLayout>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "support/Pixels.h"
#include "support/RowName.h"

namespace curvella {
namespace {

// Every printable Windows-1252 character, in texts of a dozen.
std::vector<std::string> PrintableTexts() {
  std::vector<std::string> texts(1);
  for (int c = 0x20; c < 0x100; ++c) {
    if (!QChar(Windows1252Character(static_cast<char>(c))).isPrint()) continue;
    if (texts.back().size() == 12) texts.emplace_back();
    texts.back() += static_cast<char>(c);
  }
  return texts;
}

// The pixels one glyph adds lie within its ink box and a pixel around it:
// the raster device's margin of two keeps clear of them.
TEST(ShapedText, GlyphPixelsLieWithinTheirInkBox) {
  const TFontSpec fonts[] = {
      {"Arial", -11}, {"Arial", -13, {.Bold = true, .Italic = true}}, {"MS Sans Serif", -11}};
  for (const TFontSpec& font : fonts) {
    for (const std::string& prefix : {std::string(), std::string("i"), std::string("W1.")}) {
      const auto draw = [&](const std::string& text) {
        QImage image = test::WhiteImage(90, 40);
        TRasterDeviceContext dc(&image);
        dc.SelectFont(font);
        dc.SetTextShortcuts(false);
        dc.TextOut(20, 10, text);
        return image;
      };
      const QImage before = draw(prefix);
      for (const std::string& text : PrintableTexts()) {
        for (const char c : text) {
          const std::string drawn = prefix + c;
          const TShapedText* shaped = ShapeText(font, drawn);
          ASSERT_NE(shaped, nullptr) << drawn;
          const TShapedGlyph& g = shaped->Glyphs.back();
          const int baseline = 10 + FontMetrics(font).Ascent;
          const QImage after = draw(drawn);
          for (int y = 0; y < after.height(); ++y) {
            for (int x = 0; x < after.width(); ++x) {
              if (after.pixel(x, y) == before.pixel(x, y)) continue;
              EXPECT_TRUE(x >= 20 + g.InkLeft - 1 && x < 20 + g.InkRight + 1 &&
                          y >= baseline + g.InkTop - 1 && y < baseline + g.InkBottom + 1)
                  << font.Name << " '" << drawn << "' at " << x << "," << y;
            }
          }
        }
      }
    }
  }
}

TEST(ShapedText, TextsQtDrawsItselfAreNotShaped) {
  EXPECT_EQ(ShapeText({"Arial", -11, {.Underline = true}}, "8,000"), nullptr);
  EXPECT_EQ(ShapeText({"Arial", -11, {.StrikeOut = true}}, "8,000"), nullptr);
  EXPECT_EQ(ShapeText({"Arial", -11}, "a\tb"), nullptr);
  EXPECT_EQ(ShapeText({"Arial", -11}, "a\x81"), nullptr);
  EXPECT_NE(ShapeText({"Arial", -11}, "8,000"), nullptr);
}

struct ShortcutRow {
  const char* Name;
  TFontSpec Font;
  int Mode;
  std::uint32_t Background; // of the picture, under the texts
  TRect Clip;               // none when empty
};

class ShortcutTable : public testing::TestWithParam<ShortcutRow> {};

// Each text drawn hundreds of times over itself and its neighbours, pixels
// changed behind the device's back between two rounds: with the shortcuts
// the pixels are those of Qt's whole-text drawing.
TEST_P(ShortcutTable, PixelsAreThoseOfWholeTexts) {
  const ShortcutRow& row = GetParam();
  const auto draw = [&](bool shortcuts) {
    QImage image(260, 60, QImage::Format_RGB32);
    image.fill(PixelOf(row.Background));
    TRasterDeviceContext dc(&image);
    dc.SetTextShortcuts(shortcuts);
    dc.SelectFont(row.Font);
    dc.SetBackgroundMode(row.Mode);
    dc.SetBackgroundColor(0xC0FFFF);
    dc.SetTextColor(0x802010);
    if (!row.Clip.IsEmpty()) dc.IntersectClipRect(row.Clip);
    for (int round = 0; round < 300; ++round) {
      // Over texts settled long since.
      if (round == 250) {
        for (int y = 4; y < 16; ++y) {
          for (int x = 0; x < 30; ++x) image.setPixel(x, y, 0xFFFFFFFF);
        }
      }
      for (const std::string& text : PrintableTexts()) {
        dc.TextOut(-40 + static_cast<unsigned char>(text[0]) % 7, 3, text);
        dc.TextOut(200, 20 + round % 4, text);
      }
    }
    return image;
  };
  EXPECT_EQ(draw(true), draw(false));
}

INSTANTIATE_TEST_SUITE_P(
    ShapedText, ShortcutTable,
    testing::Values(ShortcutRow{"Transparent", {"Arial", -11}, TRANSPARENT, 0xFFFFFF},
                    ShortcutRow{"Opaque", {"Arial", -11}, OPAQUE, 0x00FF00},
                    ShortcutRow{
                        "Clipped", {"Arial", -13, {.Bold = true}}, TRANSPARENT, 0x404040, {5, 8, 230, 30}},
                    ShortcutRow{"OpaqueClipped", {"MS Sans Serif", -11}, OPAQUE, 0xFFFFFF, {30, 0, 220, 25}},
                    ShortcutRow{"Italic", {"Arial", 16, {.Italic = true}}, TRANSPARENT, 0xFFFFFF},
                    ShortcutRow{"Turned", {"Arial", -11, {}, 900}, TRANSPARENT, 0xFFFFFF},
                    ShortcutRow{"Underlined", {"Arial", -11, {.Underline = true}}, OPAQUE, 0xFFFFFF}),
    test::RowName());

// Texts laid out from their characters' glyphs, drawn once each as a new
// label is: the widths are Qt's, and so are the pixels, kerned pairs ("11",
// "AV", "Y,") and runs of them ("111", "AVA") among them.
TEST(ShapedText, NewTextsOfLabelCharactersAreQtsOwn) {
  const TFontSpec fonts[] = {{"Arial", -11},
                             {"Arial", -13, {.Bold = true}},
                             {"MS Sans Serif", -11},
                             {"Arial", 16, {.Italic = true}}};
  const std::string alphabet = "0123456789 .,-+E\xA0"
                               "AVTYe1";
  std::mt19937 random(11);
  for (const TFontSpec& font : fonts) {
    std::vector<std::string> texts = {"111", "1111", "11.11", "AVA", "AVAV", "Y,Y", "TeT"};
    for (int i = 0; i < 600; ++i) {
      std::string text;
      const std::size_t length = 1 + random() % 24;
      for (std::size_t k = 0; k < length; ++k) text += alphabet[random() % alphabet.size()];
      texts.push_back(text);
    }
    for (const std::string& text : texts) {
      EXPECT_EQ(TextExtent(font, text).Width,
                QFontMetrics(ResolveFont(font)).horizontalAdvance(FromWindows1252(text)))
          << font.Name << " [" << text << "]";
    }
    const auto draw = [&](bool shortcuts) {
      QImage image(400, 600, QImage::Format_RGB32);
      image.fill(0xFFFFFFFF);
      TRasterDeviceContext dc(&image);
      dc.SetTextShortcuts(shortcuts);
      dc.SelectFont(font);
      dc.SetBackgroundMode(TRANSPARENT);
      dc.SetTextColor(0x802010);
      for (std::size_t i = 0; i < texts.size(); ++i) {
        dc.TextOut(static_cast<std::int32_t>(i % 3) * 130 + static_cast<std::int32_t>(i % 7),
                   static_cast<std::int32_t>(i / 3) * 3, texts[i]);
      }
      return image;
    };
    EXPECT_EQ(draw(true), draw(false)) << font.Name;
  }
}

// Glyphs composed from their characters stand where Qt's shaping of the
// whole text puts them, kerned or not, with the ink boxes Qt's glyph boxes
// give there, at every fraction of a pixel the advances reach.
TEST(ShapedText, ComposedGlyphsStandWhereQtShapesThem) {
  const TFontSpec fonts[] = {{"Arial", -11}, {"Arial", -13, {.Bold = true}}, {"Arial", 16, {.Italic = true}}};
  const std::string alphabet = "0123456789 .,-E1AVY";
  std::mt19937 random(5);
  for (const TFontSpec& font : fonts) {
    for (int i = 0; i < 300; ++i) {
      std::string text;
      const std::size_t length = 1 + random() % 30;
      for (std::size_t k = 0; k < length; ++k) text += alphabet[random() % alphabet.size()];
      const TShapedText* shaped = ShapeText(font, text);
      ASSERT_NE(shaped, nullptr) << text;
      QTextLayout layout(FromWindows1252(text), ResolveFont(font));
      layout.beginLayout();
      const QTextLine line = layout.createLine();
      layout.endLayout();
      const QGlyphRun run = line.glyphRuns().front();
      ASSERT_EQ(shaped->Glyphs.size(), static_cast<std::size_t>(run.glyphIndexes().size())) << text;
      EXPECT_EQ(shaped->Advance64, static_cast<std::int32_t>(line.horizontalAdvance() * 64)) << text;
      for (std::size_t k = 0; k < shaped->Glyphs.size(); ++k) {
        const TShapedGlyph& g = shaped->Glyphs[k];
        const auto q = static_cast<qsizetype>(k);
        const QPointF place = run.positions()[q] - QPointF(0, line.ascent());
        const QRectF ink = run.rawFont().boundingRect(run.glyphIndexes()[q]).translated(place);
        const std::vector<double> expected = {static_cast<double>(run.glyphIndexes()[q]),
                                              place.x() * 64,
                                              place.y() * 64,
                                              std::floor(ink.left()),
                                              std::floor(ink.top()),
                                              std::ceil(ink.right()),
                                              std::ceil(ink.bottom())};
        const std::vector<double> actual = {static_cast<double>(g.Index),    static_cast<double>(g.X64),
                                            static_cast<double>(g.Y64),      static_cast<double>(g.InkLeft),
                                            static_cast<double>(g.InkTop),   static_cast<double>(g.InkRight),
                                            static_cast<double>(g.InkBottom)};
        ASSERT_EQ(actual, expected) << font.Name << " [" << text << "] glyph " << k;
      }
    }
  }
}

} // namespace
} // namespace curvella
