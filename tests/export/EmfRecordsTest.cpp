#include "export/EmfRecords.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "support/EmfCheck.h"
#include "support/RowName.h"

namespace curvella::emf {
namespace {

using test::EmfRecords;
using test::TEmfRecord;

std::vector<std::uint32_t> Words(const TEmfRecord& record) {
  std::vector<std::uint32_t> words(record.Bytes.size() / 4);
  std::memcpy(words.data(), record.Bytes.data(), record.Bytes.size());
  return words;
}

// The records a writer call adds between the header and the end record.
std::vector<TEmfRecord> Body(const std::function<void(TEmfWriter&)>& write) {
  TEmfWriter writer;
  write(writer);
  const std::vector<std::uint8_t> bytes = writer.Finish({});
  std::vector<TEmfRecord> records = EmfRecords(bytes);
  return {records.begin() + 1, records.end() - 1};
}

constexpr std::uint32_t U(std::int32_t v) { return static_cast<std::uint32_t>(v); }

struct RecordLayoutRow {
  const char* Name;
  std::function<void(TEmfWriter&)> Write;
  std::vector<std::uint32_t> Expected; // the record as 32-bit words
};

class RecordLayoutTable : public testing::TestWithParam<RecordLayoutRow> {};

TEST_P(RecordLayoutTable, LaysOutTheRecord) {
  const std::vector<TEmfRecord> body = Body(GetParam().Write);
  ASSERT_EQ(body.size(), 1u);
  EXPECT_EQ(Words(body[0]), GetParam().Expected);
}

const TPoint kSmall[] = {{0, 0}, {5, 1}};
const TPoint kLarge[] = {{0, 0}, {40000, 1}};

INSTANTIATE_TEST_SUITE_P(
    EmfRecords, RecordLayoutTable,
    testing::Values(
        RecordLayoutRow{"MoveTo",
                        [](TEmfWriter& w) {
                          w.MoveTo({3, 4});
                        },
                        {27, 16, 3, 4}},
        RecordLayoutRow{"LineTo",
                        [](TEmfWriter& w) {
                          w.LineTo({10, -2});
                        },
                        {54, 16, 10, U(-2)}},
        RecordLayoutRow{"Polyline16",
                        [](TEmfWriter& w) { w.Poly(kSmall, false); },
                        {87, 36, 0, 0, 5, 1, 2, 0, 5 | 1 << 16}},
        RecordLayoutRow{"Polyline32",
                        [](TEmfWriter& w) { w.Poly(kLarge, false); },
                        {4, 44, 0, 0, 40000, 1, 2, 0, 0, 40000, 1}},
        RecordLayoutRow{"Polygon16",
                        [](TEmfWriter& w) { w.Poly(kSmall, true); },
                        {86, 36, 0, 0, 5, 1, 2, 0, 5 | 1 << 16}},
        RecordLayoutRow{"NegativeFitsSixteenBits",
                        [](TEmfWriter& w) {
                          const TPoint p[] = {{-32768, 32767}};
                          w.Poly(p, false);
                        },
                        {87, 32, U(-32768), 32767, U(-32768), 32767, 1, 0x7FFF8000}},
        RecordLayoutRow{"Rectangle",
                        [](TEmfWriter& w) {
                          w.Rectangle({1, 2, 30, 40});
                        },
                        {43, 24, 1, 2, 30, 40}},
        RecordLayoutRow{"Ellipse",
                        [](TEmfWriter& w) {
                          w.Ellipse({1, 2, 30, 40});
                        },
                        {42, 24, 1, 2, 30, 40}},
        RecordLayoutRow{"RoundRect",
                        [](TEmfWriter& w) {
                          w.RoundRect({1, 2, 30, 40}, {5, 6});
                        },
                        {44, 32, 1, 2, 30, 40, 5, 6}},
        RecordLayoutRow{"SetPixelV",
                        [](TEmfWriter& w) {
                          w.SetPixelV({7, 8}, 0xFF0000);
                        },
                        {15, 20, 7, 8, 0xFF0000}},
        RecordLayoutRow{"SetTextAlign", [](TEmfWriter& w) { w.SetTextAlign(6 | 24); }, {22, 12, 30}},
        RecordLayoutRow{"SetTextColor", [](TEmfWriter& w) { w.SetTextColor(0x123456); }, {24, 12, 0x123456}},
        RecordLayoutRow{"SetBkColor", [](TEmfWriter& w) { w.SetBkColor(0xFFFFFF); }, {25, 12, 0xFFFFFF}},
        RecordLayoutRow{"SetBkMode", [](TEmfWriter& w) { w.SetBkMode(1); }, {18, 12, 1}},
        RecordLayoutRow{"SetRop2", [](TEmfWriter& w) { w.SetRop2(R2_NOTXORPEN); }, {20, 12, 10}},
        RecordLayoutRow{"IntersectClipRect",
                        [](TEmfWriter& w) {
                          w.IntersectClipRect({21, 1, 969, 547});
                        },
                        {30, 24, 21, 1, 969, 547}},
        RecordLayoutRow{"RemoveClipping", [](TEmfWriter& w) { w.RemoveClipping(); }, {75, 16, 0, RGN_COPY}},
        RecordLayoutRow{"CreatePen",
                        [](TEmfWriter& w) {
                          w.CreatePen(1, {2, 1, 0x808080});
                        },
                        {38, 28, 1, 2, 1, 0, 0x808080}},
        RecordLayoutRow{"AlternatePen",
                        [](TEmfWriter& w) {
                          w.ExtCreatePen(2, {PS_ALTERNATE, 1, BS_SOLID, 0xFF, 0});
                        },
                        {95, 52, 2, 0, 0, 0, 0, PS_ALTERNATE, 1, BS_SOLID, 0xFF, 0, 0}},
        RecordLayoutRow{"HatchBrush",
                        [](TEmfWriter& w) {
                          w.CreateBrush(3, {BS_HATCHED, 0, 5});
                        },
                        {39, 24, 3, 2, 0, 5}},
        RecordLayoutRow{
            "SelectStockPen", [](TEmfWriter& w) { w.SelectObject(NULL_PEN); }, {37, 12, 0x80000008}},
        RecordLayoutRow{"DeleteObject", [](TEmfWriter& w) { w.DeleteObject(4); }, {40, 12, 4}}),
    test::RowName());

TEST(EmfRecords, FontRecordIsAPlainLogFontWithItsFaceName) {
  TLogFont font;
  font.Height = -12;
  font.Escapement = font.Orientation = 900;
  font.Weight = 700;
  font.Italic = 1;
  font.FaceName = u"Arial";
  const std::vector<TEmfRecord> body = Body([&](TEmfWriter& w) { w.CreateFont(1, font); });
  ASSERT_EQ(body.size(), 1u);
  const TEmfRecord& r = body[0];
  EXPECT_EQ(r.Type, EMR_EXTCREATEFONTINDIRECTW);
  ASSERT_EQ(r.Bytes.size(), 104u);
  EXPECT_EQ(r.U32(8), 1u);
  EXPECT_EQ(r.I32(12), -12);
  EXPECT_EQ(r.I32(20), 900);
  EXPECT_EQ(r.I32(28), 700);
  EXPECT_EQ(r.Bytes[32], 1); // italic
  EXPECT_EQ(r.Bytes[35], 1); // the default character set
  const std::u16string face(reinterpret_cast<const char16_t*>(r.Bytes.data() + 40), 5);
  EXPECT_EQ(face, u"Arial");
  EXPECT_EQ(r.Bytes[50], 0);
}

TEST(EmfRecords, TextRecordCarriesTheStringAndOneAdvanceACharacter) {
  TTextOut text;
  text.Bounds = {10, 20, 40, 33};
  text.Reference = {25, 20};
  text.Text = u"Y=F(x)";
  text.Advances = {8, 7, 7, 4, 6, 4};
  const std::vector<TEmfRecord> body = Body([&](TEmfWriter& w) { w.TextOut(text); });
  ASSERT_EQ(body.size(), 1u);
  const TEmfRecord& r = body[0];
  EXPECT_EQ(r.Type, EMR_EXTTEXTOUTW);
  EXPECT_EQ(r.I32(36), 25);
  EXPECT_EQ(r.I32(40), 20);
  EXPECT_EQ(r.U32(44), 6u);
  const std::uint32_t offString = r.U32(48);
  const std::uint32_t offDx = r.U32(72);
  EXPECT_EQ(offString, 76u);
  EXPECT_EQ(offDx, 88u);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(r.Bytes.data() + offString), 6), u"Y=F(x)");
  for (int i = 0; i < 6; ++i) EXPECT_EQ(r.I32(offDx + 4 * i), text.Advances[static_cast<std::size_t>(i)]);
  EXPECT_EQ(r.Bytes.size(), offDx + 24u);
}

TEST(EmfRecords, HeaderAndEndRecordFrameTheFile) {
  TEmfWriter writer;
  writer.MoveTo({0, 0});
  writer.LineTo({5, 5});
  THeader header;
  header.Bounds = {0, 0, 4, 4};
  header.Frame = {0, 0, 25071, 14312};
  header.Handles = 3;
  header.Device = {800, 800};
  header.Millimetres = {203, 203};
  const std::vector<std::uint8_t> bytes = writer.Finish(header);
  const std::vector<TEmfRecord> records = EmfRecords(bytes);
  ASSERT_EQ(records.size(), 4u);
  const TEmfRecord& h = records.front();
  EXPECT_EQ(h.Type, EMR_HEADER);
  EXPECT_EQ(h.Bytes.size(), kHeaderSize);
  EXPECT_EQ(h.I32(24), 0);
  EXPECT_EQ(h.I32(32), 25071);
  EXPECT_EQ(h.I32(36), 14312);
  EXPECT_EQ(h.U32(40), kSignature);
  EXPECT_EQ(h.U32(48), bytes.size());
  EXPECT_EQ(h.U32(52), 4u);
  EXPECT_EQ(h.U32(56) & 0xFFFF, 3u);
  EXPECT_EQ(h.U32(60), 0u) << "no description";
  EXPECT_EQ(h.U32(64), 0u);
  EXPECT_EQ(h.I32(72), 800);
  EXPECT_EQ(h.I32(80), 203);
  EXPECT_EQ(h.I32(100), 203000) << "micrometres";
  EXPECT_EQ(Words(records.back()), (std::vector<std::uint32_t>{14, 20, 0, 16, 20}));
  EXPECT_FALSE(EmfFault(bytes));
  EXPECT_EQ(test::UnsafeEmfRecord(bytes), "");
}

struct FramingFaultRow {
  const char* Name;
  std::function<void(std::vector<std::uint8_t>&)> Spoil;
  const char* Fault;
};

class FramingFaultTable : public testing::TestWithParam<FramingFaultRow> {};

TEST_P(FramingFaultTable, FindsTheFramingFault) {
  TEmfWriter writer;
  writer.MoveTo({1, 2});
  std::vector<std::uint8_t> bytes = writer.Finish({});
  GetParam().Spoil(bytes);
  const std::optional<std::string> fault = EmfFault(bytes);
  ASSERT_TRUE(fault.has_value());
  EXPECT_EQ(*fault, GetParam().Fault);
}

void Put(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
  std::memcpy(bytes.data() + at, &v, 4);
}

INSTANTIATE_TEST_SUITE_P(
    EmfRecords, FramingFaultTable,
    testing::Values(
        FramingFaultRow{"Empty", [](auto& b) { b.clear(); }, "shorter than a header"},
        FramingFaultRow{"NoHeader", [](auto& b) { Put(b, 0, 2); }, "the first record is not the header"},
        FramingFaultRow{"NoSignature", [](auto& b) { Put(b, 40, 0); }, "no signature"},
        FramingFaultRow{"Truncated", [](auto& b) { b.resize(b.size() - 4); },
                        "the header's byte count is not the file's size"},
        FramingFaultRow{"OddRecordSize", [](auto& b) { Put(b, kHeaderSize + 4, 15); },
                        "a record's size is not a multiple of 4"},
        FramingFaultRow{"RecordPastTheEnd", [](auto& b) { Put(b, kHeaderSize + 4, 4000); },
                        "a record runs past the end"},
        FramingFaultRow{"WrongCount", [](auto& b) { Put(b, 52, 7); }, "the header's record count is wrong"},
        FramingFaultRow{"NoEndRecord", [](auto& b) { Put(b, b.size() - 20, EMR_MOVETOEX); },
                        "the last record is not the end-of-file record"}),
    test::RowName());

} // namespace
} // namespace curvella::emf
