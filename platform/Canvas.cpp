#include "platform/Canvas.h"

#include "platform/Fonts.h"

namespace curvella {

void TPen::Assign(const TPen& other) {
  if (m_color == other.m_color && m_width == other.m_width && m_style == other.m_style &&
      m_mode == other.m_mode) {
    return;
  }
  m_color = other.m_color;
  m_width = other.m_width;
  m_style = other.m_style;
  m_mode = other.m_mode;
  Changed();
}

void TBrush::Assign(const TBrush& other) {
  if (m_color == other.m_color && m_style == other.m_style) return;
  m_color = other.m_color;
  m_style = other.m_style;
  Changed();
}

std::int32_t TFont::Size() const { return -MulDiv(m_height, 72, m_pixelsPerInch); }

void TFont::SetSize(std::int32_t points) { SetHeight(-MulDiv(points, m_pixelsPerInch, 72)); }

void TFont::Assign(const TFont& other) {
  if (m_name == other.m_name && m_height == other.m_height && m_color == other.m_color &&
      m_style == other.m_style && m_charSet == other.m_charSet) {
    return;
  }
  m_name = other.m_name;
  m_height = other.m_height;
  m_color = other.m_color;
  m_style = other.m_style;
  m_charSet = other.m_charSet;
  Changed();
}

TCanvas::TCanvas(TDeviceContext* device) : m_device(device) {
  m_pen.SetOnChange([this](TChangeNotifier*) { m_penChanged = true; });
  m_brush.SetOnChange([this](TChangeNotifier*) { m_brushChanged = true; });
  m_font.SetOnChange([this](TChangeNotifier*) { m_fontChanged = true; });
}

void TCanvas::SetDevice(TDeviceContext* device) {
  m_device = device;
  m_penChanged = m_brushChanged = m_fontChanged = true;
}

TDeviceContext& TCanvas::Handle() {
  if (m_penChanged) m_device->SelectPen(m_pen.Description());
  if (m_brushChanged) m_device->SelectBrush(m_brush.Description());
  if (m_fontChanged) m_device->SelectFont(m_font.Description());
  m_penChanged = m_brushChanged = m_fontChanged = false;
  return *m_device;
}

void TCanvas::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
  TDeviceContext& device = Handle();
  device.SetTextColor(ColorToRGB(m_font.Color()));
  device.TextOut(x, y, text);
}

} // namespace curvella
