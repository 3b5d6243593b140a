// The window's chart drawn from any points, axis ranges and mouse gestures,
// into the window's picture, a bitmap and a metafile: no crash, no hang, only
// the chart's own errors, and a metafile whose records a reader can walk.
//
// Input: the picture's width and height (1 to 256 each), a byte of choices,
// the bottom and left axes' ranges when chosen (two doubles each), a drag
// when chosen (button and two corners), then points of two doubles each.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <QGuiApplication>

#include "app/WindowChart.h"
#include "export/EmfRecords.h"
#include "numtext/Extended.h"

namespace {

using namespace curvella;

constexpr std::size_t kMaxPoints = 512;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::abort();
}

// Reads the input front to back; past its end everything is 0.
class TReader {
public:
  TReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  std::size_t Left() const { return m_size - m_at; }
  template <class T> T Take() {
    T value{};
    const std::size_t n = std::min(sizeof value, Left());
    std::memcpy(&value, m_data + m_at, n);
    m_at += n;
    return value;
  }

private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_at = 0;
};

void Drag(TChart& chart, TReader& in) {
  const auto kind = in.Take<std::uint8_t>();
  const TMouseButton button = kind % 3 == 0   ? TMouseButton::mbLeft
                              : kind % 3 == 1 ? TMouseButton::mbRight
                                              : TMouseButton::mbMiddle;
  const auto x0 = in.Take<std::int16_t>();
  const auto y0 = in.Take<std::int16_t>();
  const auto x1 = in.Take<std::int16_t>();
  const auto y1 = in.Take<std::int16_t>();
  TShiftState held;
  held.Left = button == TMouseButton::mbLeft;
  held.Right = button == TMouseButton::mbRight;
  held.Middle = button == TMouseButton::mbMiddle;
  chart.MouseDown(button, held, x0, y0);
  chart.MouseMove(held, (x0 + x1) / 2, (y0 + y1) / 2);
  chart.MouseMove(held, x1, y1);
  chart.MouseUp(button, {}, x1, y1);
  if (kind & 0x80) chart.MouseWheel((kind & 0x40) != 0);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Lives as long as the process: destroying it at exit, after Qt's own
  // statics, would crash.
  static QGuiApplication* const application = std::make_unique<QGuiApplication>(*argc, *argv).release();
  (void)application;
  SetFloatingPointMode();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return -1;
  TReader in(data, size);
  const std::int32_t width = 1 + in.Take<std::uint8_t>();
  const std::int32_t height = 1 + in.Take<std::uint8_t>();
  const auto choices = in.Take<std::uint8_t>();

  TChart chart;
  TLineSeries& series = ApplyWindowChartSettings(chart);
  chart.SetControlSize({width + 2 * kWindowChartBorder, height + 2 * kWindowChartBorder});
  try {
    if (choices & 1) {
      const auto minimum = in.Take<double>();
      chart.BottomAxis().SetAxisRange(minimum, in.Take<double>());
    }
    if (choices & 2) {
      const auto minimum = in.Take<double>();
      chart.LeftAxis().SetAxisRange(minimum, in.Take<double>());
    }
    const bool drag = choices & 4;
    std::size_t count = 0;
    while (in.Left() >= 2 * sizeof(double) && count++ < kMaxPoints) {
      const auto x = in.Take<double>();
      series.AddPoint(x, in.Take<double>());
    }
    // A gesture needs the layout of a paint; the exports lay the chart out
    // again themselves.
    if (drag) {
      chart.Paint();
      TReader gesture(data + size - std::min<std::size_t>(size, 9), std::min<std::size_t>(size, 9));
      Drag(chart, gesture);
    }
    const TRect rect = chart.ClientDrawRect();
    const std::unique_ptr<TBitmap> bitmap = chart.MakeChartBitmap(clWhite, rect);
    if (bitmap->Width() != rect.Width() || bitmap->Height() != rect.Height()) Fail("bitmap of another size");
    const std::unique_ptr<TMetafile> metafile = chart.MakeChartMetafile(true, rect);
    if (const auto fault = emf::EmfFault(metafile->Bytes())) Fail("metafile: " + *fault);
  } catch (const Exception&) {
    // The chart's own refusals (a range no double holds, a zoom beyond it).
  }
  return 0;
}
