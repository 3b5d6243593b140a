#pragma once

// The enhanced metafile: a recording device whose drawing calls become EMF
// records, the metafile object that holds a finished recording, and the
// canvas that records into one.
//
// TEmfDeviceContext offers every operation of the drawing device and
// measures text with the screen's fonts, so that a chart lays itself out in
// a recording exactly as on screen. Pens, brushes and fonts become objects
// only when a drawing call uses them; a changed one is created, selected
// and its predecessor deleted, always before the first point of the figure
// it draws: a move-to is followed by its line-to with nothing in between,
// and a line drawn after anything else was recorded repeats its start
// point. Colours, background, alignment and the pen's mix are recorded when
// they change.
//
// The frame of a recording of w x h pixels on a reference device of R
// pixels and M millimetres is (0, 0, MulDiv(w, 100 M, R), ...) in 0.01 mm:
//   989 x 565 -> a metafile of 988 x 564 pixels; on an 800 x 800 pixel,
//   203 x 203 mm screen its frame is (0, 0, 25071, 14312).
//
// TMetafile holds the bytes of one finished metafile and writes them to a
// file beside the target, which replaces the target only when all of it was
// written (EFCreateError "Cannot create file "<path>". <reason>",
// EWriteError "Stream write error"). A recording that is not a valid
// enhanced metafile raises EInvalidGraphic "Metafile is not valid".

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "export/EmfRecords.h"
#include "numtext/Errors.h"
#include "platform/Canvas.h"
#include "platform/DeviceContext.h"
#include "platform/Display.h"

namespace curvella {

class EInvalidGraphic : public Exception {
public:
  using Exception::Exception;
};

class TEmfDeviceContext final : public TDeviceContext {
public:
  // A recording of a picture of size pixels on the reference device.
  TEmfDeviceContext(TSize size, const TScreenSize& reference);

  TSize Size() const override { return m_size; }
  void SelectPen(const TPenSpec& pen) override { m_pen = pen; }
  void SelectBrush(const TBrushSpec& brush) override { m_brush = brush; }
  void SelectFont(const TFontSpec& font) override { m_font = font; }
  const TPenSpec& Pen() const override { return m_pen; }
  const TBrushSpec& Brush() const override { return m_brush; }
  const TFontSpec& Font() const override { return m_font; }

  std::uint32_t BackgroundColor() const override { return m_backgroundColor; }
  void SetBackgroundColor(std::uint32_t rgb) override;
  int BackgroundMode() const override { return m_backgroundMode; }
  void SetBackgroundMode(int mode) override;
  unsigned TextAlign() const override { return m_textAlign; }
  void SetTextAlign(unsigned flags) override;
  std::uint32_t TextColor() const override { return m_textColor; }
  void SetTextColor(std::uint32_t rgb) override;

  TPoint CurrentPosition() const override { return m_position; }
  void MoveTo(std::int32_t x, std::int32_t y) override;
  void LineTo(std::int32_t x, std::int32_t y) override;
  void Polyline(std::span<const TPoint> points) override;
  void Rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;
  void FillRect(const TRect& rect) override;
  void Polygon(std::span<const TPoint> points) override;
  void Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;
  void RoundRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                 std::int32_t cornerWidth, std::int32_t cornerHeight) override;
  void SetPixel(std::int32_t x, std::int32_t y, std::uint32_t rgb) override;
  void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override;
  TSize TextExtent(std::string_view text) const override;

  bool HasClip() const override { return m_clip.has_value(); }
  TRect Clip() const override { return m_clip.value_or(TRect{}); }
  void IntersectClipRect(const TRect& rect) override;
  void RemoveClipping() override;

  void BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
              const TRasterDeviceContext& source, std::int32_t sx, std::int32_t sy) override;

  // The frame in 0.01 mm, (0, 0, MMWidth, MMHeight).
  emf::TRectL Frame() const;
  // Ends the recording: the metafile's bytes. The device records nothing
  // more afterwards.
  std::vector<std::uint8_t> Close();
  bool Closed() const { return m_closed; }

private:
  // A graphic object as last created, and its slot in the object table.
  template <class TDescription> struct TObject {
    std::optional<TDescription> Description;
    std::uint32_t Index = 0;
  };

  // Makes the object of the wanted description the selected one: a new object when it
  // changed, a selection when another handle took its place.
  template <class TDescription, class TCreate>
  void Realize(TObject<TDescription>& object, const TDescription& wanted, std::uint32_t* selected,
               TCreate create);
  void RealizePen();
  void RealizeBrush();
  void RealizeFont();
  void RealizeMix(TPenMode mode);
  std::uint32_t NewIndex();
  void FreeIndex(std::uint32_t index);
  void Cover(emf::TRectL box);
  bool Recording() const { return !m_closed; }

  emf::TEmfWriter m_writer;
  TSize m_size;
  TScreenSize m_reference;
  bool m_closed = false;

  TPenSpec m_pen;
  TBrushSpec m_brush;
  TFontSpec m_font;
  std::uint32_t m_backgroundColor = 0xFFFFFF;
  int m_backgroundMode = OPAQUE;
  unsigned m_textAlign = TA_LEFT | TA_TOP;
  std::uint32_t m_textColor = 0;
  TPoint m_position;
  std::optional<TRect> m_clip;

  TObject<TPenSpec> m_penObject;
  TObject<TBrushSpec> m_brushObject;
  TObject<TFontSpec> m_fontObject;
  // The pen and brush handles selected in the recording (stock ones too).
  std::uint32_t m_selectedPen = 0;
  std::uint32_t m_selectedBrush = 0;
  std::uint32_t m_recordedMix = emf::R2_COPYPEN;
  std::vector<bool> m_usedIndices{true}; // index 0 is the metafile itself
  // The record count after the current figure's last point; a line recorded
  // at another count repeats its start point first.
  std::uint32_t m_figureRecords = 0;
  emf::TRectL m_bounds;
  bool m_drewAnything = false;
};

class TMetafile {
public:
  TMetafile() = default;
  TMetafile(const TMetafile&) = delete;
  TMetafile& operator=(const TMetafile&) = delete;

  bool Empty() const { return m_bytes.empty(); }
  // The size in 0.01 mm, from the frame once a recording is held; before,
  // the size in pixels the next recording takes.
  std::int32_t Width() const { return m_width; }
  std::int32_t Height() const { return m_height; }
  void SetWidth(std::int32_t pixels);
  void SetHeight(std::int32_t pixels);
  TSize PixelSize() const { return m_pixelSize; }
  bool UseEnhancedFormat() const { return m_enhanced; }
  void SetUseEnhancedFormat(bool enhanced) { m_enhanced = enhanced; }
  // The size in 0.01 mm a recording of the pixel size gets on the reference
  // device (MulDiv of the pixels by 100 x the millimetres over the pixels).
  TSize FrameSize(const TScreenSize& reference) const;

  // Takes the bytes of a finished recording; raises EInvalidGraphic when
  // they are no valid enhanced metafile.
  void Assign(std::vector<std::uint8_t> bytes);
  const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

  // The metafile's bytes as a file.
  void SaveToFile(const std::string& path) const;

private:
  std::vector<std::uint8_t> m_bytes;
  std::int32_t m_width = 0;
  std::int32_t m_height = 0;
  TSize m_pixelSize;
  bool m_enhanced = true;
};

// A canvas that records into a metafile on the screen as reference device.
// Close (or, should drawing fail, the destructor) ends the recording and
// hands it to the metafile.
class TMetafileCanvas : public TCanvas {
public:
  explicit TMetafileCanvas(TMetafile& metafile);
  ~TMetafileCanvas();
  TMetafileCanvas(const TMetafileCanvas&) = delete;
  TMetafileCanvas& operator=(const TMetafileCanvas&) = delete;

  TEmfDeviceContext& Recorder() { return *m_recorder; }
  void Close();

private:
  TMetafile& m_metafile;
  std::unique_ptr<TEmfDeviceContext> m_recorder;
};

} // namespace curvella
