#include "export/Metafile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/Files.h"
#include "platform/Fonts.h"
#include "support/EmfCheck.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace curvella {
namespace {

using test::EmfRecords;
using test::TEmfRecord;

constexpr TScreenSize kScreen{{800, 800}, {203, 203}};

// The records a drawing adds between the header and the end record.
std::vector<TEmfRecord> Body(const std::function<void(TEmfDeviceContext&)>& draw, TSize size = {100, 50}) {
  TEmfDeviceContext device(size, kScreen);
  draw(device);
  const std::vector<std::uint8_t> bytes = device.Close();
  EXPECT_EQ(test::UnsafeEmfRecord(bytes), "");
  std::vector<TEmfRecord> records = EmfRecords(bytes);
  return {records.begin() + 1, records.end() - 1};
}

std::vector<std::uint32_t> Types(const std::vector<TEmfRecord>& records) {
  std::vector<std::uint32_t> types;
  for (const TEmfRecord& r : records) types.push_back(r.Type);
  return types;
}

using namespace emf;

struct SequenceRow {
  const char* Name;
  std::function<void(TEmfDeviceContext&)> Draw;
  std::vector<std::uint32_t> Types;
};

class SequenceTable : public testing::TestWithParam<SequenceRow> {};

// Objects are made when a drawing call first needs them; a changed one
// replaces its predecessor, which is deleted after the new one is selected.
TEST_P(SequenceTable, RecordsObjectsOnlyWhenDrawingNeedsThem) {
  EXPECT_EQ(Types(Body(GetParam().Draw)), GetParam().Types);
}

INSTANTIATE_TEST_SUITE_P(
    Metafile, SequenceTable,
    testing::Values(SequenceRow{"NothingDrawnNothingMade",
                                [](TEmfDeviceContext& d) {
                                  d.SelectPen({.Color = 0xFF});
                                  d.SelectBrush({});
                                  d.SelectFont({});
                                },
                                {}},
                    SequenceRow{"LineMakesThePen",
                                [](TEmfDeviceContext& d) {
                                  d.MoveTo(0, 0);
                                  d.LineTo(5, 5);
                                  d.LineTo(9, 5);
                                },
                                {EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_MOVETOEX, EMR_LINETO, EMR_LINETO}},
                    // The pen of a figure is made before its first point;
                    // one changed after it repeats the point.
                    SequenceRow{"PenChangedAfterTheFirstPoint",
                                [](TEmfDeviceContext& d) {
                                  d.MoveTo(1, 1);
                                  d.SelectPen({.Color = 0xFF0000});
                                  d.LineTo(5, 5);
                                },
                                {EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_MOVETOEX, EMR_CREATEPEN,
                                 EMR_SELECTOBJECT, EMR_DELETEOBJECT, EMR_MOVETOEX, EMR_LINETO}},
                    SequenceRow{"ChangedPenReplacesTheOld",
                                [](TEmfDeviceContext& d) {
                                  d.LineTo(5, 5);
                                  d.SelectPen({.Color = 0xFF0000});
                                  d.LineTo(9, 5);
                                  d.SelectPen({.Color = 0xFF0000});
                                  d.LineTo(9, 9);
                                },
                                {EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_MOVETOEX, EMR_LINETO, EMR_CREATEPEN,
                                 EMR_SELECTOBJECT, EMR_DELETEOBJECT, EMR_MOVETOEX, EMR_LINETO, EMR_LINETO}},
                    SequenceRow{"AlternatePenIsAnExtendedPen",
                                [](TEmfDeviceContext& d) {
                                  d.SelectPen({.Style = TPenStyle::psAlternate});
                                  d.LineTo(5, 0);
                                },
                                {EMR_EXTCREATEPEN, EMR_SELECTOBJECT, EMR_MOVETOEX, EMR_LINETO}},
                    SequenceRow{"NotXorIsTheMixAndCopyComesBack",
                                [](TEmfDeviceContext& d) {
                                  d.SelectPen({.Mode = TPenMode::pmNotXor});
                                  d.Rectangle(0, 0, 5, 5);
                                  d.SelectPen({});
                                  d.LineTo(5, 0);
                                },
                                {EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_SETROP2, EMR_CREATEBRUSHINDIRECT,
                                 EMR_SELECTOBJECT, EMR_RECTANGLE, EMR_SETROP2, EMR_MOVETOEX, EMR_LINETO}},
                    SequenceRow{"FillRectDrawsWithoutOutline",
                                [](TEmfDeviceContext& d) {
                                  d.FillRect({0, 0, 10, 10});
                                  d.LineTo(5, 5);
                                },
                                {EMR_CREATEBRUSHINDIRECT, EMR_SELECTOBJECT, EMR_SELECTOBJECT, EMR_RECTANGLE,
                                 EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_MOVETOEX, EMR_LINETO}},
                    SequenceRow{"StatesRecordedWhenChanged",
                                [](TEmfDeviceContext& d) {
                                  d.SetBackgroundMode(OPAQUE);
                                  d.SetBackgroundMode(TRANSPARENT);
                                  d.SetTextColor(0);
                                  d.SetTextColor(0xFF);
                                  d.SetBackgroundColor(0xFFFFFF);
                                  d.SetBackgroundColor(0xC0C0C0);
                                  d.SetTextAlign(TA_LEFT | TA_TOP);
                                  d.SetTextAlign(TA_CENTER);
                                },
                                {EMR_SETBKMODE, EMR_SETTEXTCOLOR, EMR_SETBKCOLOR, EMR_SETTEXTALIGN}},
                    SequenceRow{"TextMakesTheFont",
                                [](TEmfDeviceContext& d) { d.TextOut(3, 4, "Y=F(x)"); },
                                {EMR_EXTCREATEFONTINDIRECTW, EMR_SELECTOBJECT, EMR_EXTTEXTOUTW}},
                    SequenceRow{"ClipAndItsRemoval",
                                [](TEmfDeviceContext& d) {
                                  d.IntersectClipRect({1, 1, 9, 9});
                                  d.RemoveClipping();
                                },
                                {EMR_INTERSECTCLIPRECT, EMR_EXTSELECTCLIPRGN}},
                    SequenceRow{"ShapesAndPixels",
                                [](TEmfDeviceContext& d) {
                                  const TPoint p[] = {{0, 0}, {5, 0}, {5, 5}};
                                  d.Polyline(p);
                                  d.Polygon(p);
                                  d.Ellipse(0, 0, 4, 4);
                                  d.RoundRect(0, 0, 9, 9, 2, 2);
                                  d.SetPixel(1, 1, 0xFF);
                                },
                                {EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_POLYLINE16, EMR_CREATEBRUSHINDIRECT,
                                 EMR_SELECTOBJECT, EMR_POLYGON16, EMR_ELLIPSE, EMR_ROUNDRECT,
                                 EMR_SETPIXELV}}),
    test::RowName());

// A line after a change starts again from where the last one ended.
TEST(Metafile, RepeatedStartPointIsTheCurrentPosition) {
  const std::vector<TEmfRecord> body = Body([](TEmfDeviceContext& d) {
    d.MoveTo(1, 2);
    d.LineTo(7, 8);
    d.SelectPen({.Color = 0xFF});
    d.LineTo(9, 9);
  });
  ASSERT_EQ(body[body.size() - 2].Type, EMR_MOVETOEX);
  EXPECT_EQ(body[body.size() - 2].I32(8), 7);
  EXPECT_EQ(body[body.size() - 2].I32(12), 8);
}

TEST(Metafile, FillRectCoversItsRightAndBottomEdges) {
  const std::vector<TEmfRecord> body = Body([](TEmfDeviceContext& d) { d.FillRect({2, 3, 10, 20}); });
  ASSERT_EQ(body.size(), 4u);
  EXPECT_EQ(body[2].U32(8), NULL_PEN);
  EXPECT_EQ(body[3].I32(8), 2);
  EXPECT_EQ(body[3].I32(16), 11);
  EXPECT_EQ(body[3].I32(20), 21);
}

TEST(Metafile, ObjectSlotsAreReused) {
  TEmfDeviceContext device({10, 10}, kScreen);
  for (std::uint32_t color = 0; color < 50; ++color) {
    device.SelectPen({.Color = color});
    device.LineTo(static_cast<std::int32_t>(color), 0);
  }
  const std::vector<std::uint8_t> bytes = device.Close();
  const std::vector<TEmfRecord> records = EmfRecords(bytes);
  EXPECT_EQ(records[0].U32(56) & 0xFFFF, 3u) << "index 0 and two pen slots";
}

TEST(Metafile, TextKeepsTheMeasuredWidth) {
  const TFontSpec font{.Name = "Arial", .Height = -12};
  const std::vector<TEmfRecord> body = Body([&](TEmfDeviceContext& d) {
    d.SelectFont(font);
    d.TextOut(10, 20, "Y=F(x) \xE9");
  });
  const TEmfRecord& text = body.back();
  ASSERT_EQ(text.Type, EMR_EXTTEXTOUTW);
  const std::uint32_t count = text.U32(44);
  ASSERT_EQ(count, 8u);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text.Bytes.data() + text.U32(48)), count),
            u"Y=F(x) \u00E9");
  std::int32_t width = 0;
  for (std::uint32_t i = 0; i < count; ++i) width += text.I32(text.U32(72) + 4 * i);
  EXPECT_EQ(width, TextExtent(font, "Y=F(x) \xE9").Width);
}

// A vertical title turns counter-clockwise about its reference point: its
// bounds run up from there, as wide as the text is high.
TEST(Metafile, TurnedTextBoundsAreTheTurnedBox) {
  const TFontSpec font{.Name = "Arial", .Height = -12, .Escapement = 900};
  const std::vector<TEmfRecord> body = Body(
      [&](TEmfDeviceContext& d) {
        d.SelectFont(font);
        d.TextOut(50, 100, "Axis");
      },
      {200, 200});
  const TEmfRecord& text = body.back();
  ASSERT_EQ(text.Type, EMR_EXTTEXTOUTW);
  const TSize extent = TextExtent(font, "Axis");
  EXPECT_EQ(text.I32(8), 50);
  EXPECT_EQ(text.I32(12), 100 - extent.Width);
  EXPECT_EQ(text.I32(16), 50 + extent.Height - 1);
  EXPECT_EQ(text.I32(20), 99);
}

TEST(Metafile, HeaderStatesFrameReferenceAndBounds) {
  TEmfDeviceContext device({988, 564}, kScreen);
  device.IntersectClipRect({0, 0, 50, 50});
  device.MoveTo(10, 10);
  device.LineTo(100, 20);
  device.RemoveClipping();
  device.SetPixel(60, 5, 0);
  const std::vector<std::uint8_t> bytes = device.Close();
  const TEmfRecord header = EmfRecords(bytes).front();
  // MulDiv(988, 20300, 800) = 25070.5 and MulDiv(564, 20300, 800) = 14311.5, halves away from zero.
  EXPECT_EQ(header.I32(32), 25071);
  EXPECT_EQ(header.I32(36), 14312);
  EXPECT_EQ(header.I32(72), 800);
  EXPECT_EQ(header.I32(80), 203);
  EXPECT_EQ(header.U32(60), 0u) << "no description";
  // The line is clipped at column 49; the pixel stands outside the clip.
  EXPECT_EQ(header.I32(8), 10);
  EXPECT_EQ(header.I32(12), 5);
  EXPECT_EQ(header.I32(16), 60);
  EXPECT_EQ(header.I32(20), 20);
}

TEST(Metafile, ClosedRecordingRecordsNothingMore) {
  TEmfDeviceContext device({10, 10}, kScreen);
  const std::vector<std::uint8_t> bytes = device.Close();
  device.LineTo(5, 5);
  device.SetTextColor(0xFF);
  EXPECT_TRUE(device.Close().empty());
  EXPECT_EQ(EmfRecords(bytes).size(), 2u);
}

struct FrameRow {
  const char* Name;
  TSize Pixels;
  TScreenSize Screen;
  TSize Frame;
};

class FrameTable : public testing::TestWithParam<FrameRow> {};

TEST_P(FrameTable, FrameComesFromTheReferenceDevice) {
  TMetafile metafile;
  metafile.SetWidth(GetParam().Pixels.Width);
  metafile.SetHeight(GetParam().Pixels.Height);
  EXPECT_EQ(metafile.FrameSize(GetParam().Screen), GetParam().Frame);
  const emf::TRectL frame = TEmfDeviceContext(GetParam().Pixels, GetParam().Screen).Frame();
  EXPECT_EQ(frame, (emf::TRectL{0, 0, GetParam().Frame.Width, GetParam().Frame.Height}));
}

INSTANTIATE_TEST_SUITE_P(
    Metafile, FrameTable,
    testing::Values(FrameRow{"Offscreen", {988, 564}, kScreen, {25071, 14312}},
                    FrameRow{"StandIn", {988, 564}, {{1920, 1080}, {508, 286}}, {26141, 14936}},
                    FrameRow{"OnePixel", {1, 1}, kScreen, {25, 25}},
                    FrameRow{"NoPixels", {0, 0}, kScreen, {20300, 20300}}),
    test::RowName());

class MetafileFile : public testing::Test {
protected:
  test::TTempFolder Temp;
  const std::filesystem::path& Dir = Temp.Path();

  static std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(MetafileFile, RecordingReachesTheMetafileAndItsFile) {
  TMetafile metafile;
  metafile.SetWidth(988);
  metafile.SetHeight(564);
  {
    TMetafileCanvas canvas(metafile);
    canvas.Pen().SetColor(clBlue);
    canvas.MoveTo(0, 0);
    canvas.LineTo(50, 50);
    canvas.Close();
  }
  ASSERT_FALSE(metafile.Empty());
  EXPECT_EQ(metafile.Width(), MulDiv(988, ScreenSize().Millimetres.Width * 100, ScreenSize().Pixels.Width));
  EXPECT_EQ(metafile.PixelSize(), (TSize{0, 0}));
  // An existing file is replaced; a ".wmf" name gets the same bytes.
  for (const char* name : {"chart.emf", "chart.wmf"}) {
    std::ofstream(Dir / name) << "an older picture that was much longer than a metafile header ...";
    metafile.SaveToFile((Dir / name).string());
    const std::string bytes = ReadAll(Dir / name);
    EXPECT_EQ(bytes, std::string(metafile.Bytes().begin(), metafile.Bytes().end())) << name;
    EXPECT_TRUE(test::ConvertsToSvg((Dir / name).string())) << name;
  }
}

TEST_F(MetafileFile, CanvasLeftWithoutCloseStillHandsOverItsRecording) {
  TMetafile metafile;
  metafile.SetWidth(10);
  metafile.SetHeight(10);
  try {
    TMetafileCanvas canvas(metafile);
    canvas.LineTo(5, 5);
    throw Exception("drawing failed");
  } catch (const Exception&) {
  }
  EXPECT_FALSE(metafile.Empty());
  EXPECT_FALSE(emf::EmfFault(metafile.Bytes()));
}

TEST_F(MetafileFile, FailuresCarryTheSystemsTexts) {
  TMetafile metafile;
  try {
    metafile.Assign({1, 2, 3});
    ADD_FAILURE() << "accepted";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Metafile is not valid");
  }
  EXPECT_TRUE(metafile.Empty());
  const std::string missing = (Dir / "no such folder" / "chart.emf").string();
  try {
    metafile.SaveToFile(missing);
    ADD_FAILURE() << "created";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message().rfind("Cannot create file \"" + missing + "\". ", 0), 0u) << e.Message();
  }
}

} // namespace
} // namespace curvella
