#pragma once

// The chart: the axis panel with its walls, title, foot and legend, the
// class the window's Chart1 is.
//
// The title and foot are blocks of text lines above and below the plot; the
// legend lists series or points beside, above or below it. Each takes its
// room from PlotRect while the chart is laid out; in the window the title
// "Y=F(x)" takes its line and 5 pixels, and the legend, with no item to
// show, takes nothing.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/AxisPanel.h"

namespace curvella {

class TCustomChart;

// A wall: the back wall frames the plot; the left and bottom walls are
// drawn only in 3D.
class TChartWall {
public:
  TChartWall(TCustomChart* chart, TColor defaultColor, TBrushStyle brushStyle);

  TColor Color() const { return m_color; }
  void SetColor(TColor color);
  TBrush& Brush() { return m_brush; }
  bool Dark3D() const { return m_dark3D; }
  void SetDark3D(bool dark);
  TChartPen& Pen() { return m_pen; }
  std::int32_t Size() const { return m_size; }
  void SetSize(std::int32_t size);

private:
  TCustomChart* m_chart;
  TColor m_color;
  TBrush m_brush;
  bool m_dark3D = true;
  TChartPen m_pen;
  std::int32_t m_size = 0;
  TColor m_defaultColor;
};

enum class TTitleAlignment { taLeftJustify, taRightJustify, taCenter };

// Spacing between a title block and the plot, in pixels.
inline constexpr std::int32_t kTitleFootGap = 5;

class TChartTitle {
public:
  explicit TChartTitle(TCustomChart* chart);

  bool AdjustFrame() const { return m_adjustFrame; }
  void SetAdjustFrame(bool adjust);
  TTitleAlignment Alignment() const { return m_alignment; }
  void SetAlignment(TTitleAlignment alignment);
  TBrush& Brush() { return m_brush; }
  TColor Color() const { return m_color; }
  void SetColor(TColor color);
  TFont& Font() { return m_font; }
  TChartHiddenPen& Frame() { return m_frame; }
  const std::vector<std::string>& Text() const { return m_text; }
  void SetText(std::vector<std::string> lines);
  bool Visible() const { return m_visible; }
  void SetVisible(bool visible);
  // Where the block was drawn at the last paint.
  const TRect& TitleRect() const { return m_titleRect; }

  // Draws the block at the top (title) or bottom (foot) of PlotRect and
  // moves that edge.
  void DrawTitle(bool onTop);

private:
  TCustomChart* m_chart;
  bool m_adjustFrame = true;
  TTitleAlignment m_alignment = TTitleAlignment::taCenter;
  TBrush m_brush;
  TColor m_color = clDefault;
  TFont m_font;
  TChartHiddenPen m_frame;
  std::vector<std::string> m_text;
  bool m_visible = true;
  TRect m_titleRect;
};

enum class TLegendAlignment { laLeft, laRight, laTop, laBottom };
enum class TLegendStyle { lsAuto, lsSeries, lsValues, lsLastValues };
enum class TLegendTextStyle {
  ltsPlain,
  ltsLeftValue,
  ltsRightValue,
  ltsLeftPercent,
  ltsRightPercent,
  ltsXValue
};

class TChartLegend {
public:
  explicit TChartLegend(TCustomChart* chart);

  bool Visible() const { return m_visible; }
  void SetVisible(bool visible);
  TLegendAlignment Alignment() const { return m_alignment; }
  void SetAlignment(TLegendAlignment alignment);
  TLegendStyle LegendStyle() const { return m_legendStyle; }
  void SetLegendStyle(TLegendStyle style);
  TLegendTextStyle TextStyle() const { return m_textStyle; }
  void SetTextStyle(TLegendTextStyle style);
  std::int32_t ColorWidth() const { return m_colorWidth; }
  // Raises LegendException outside 0 .. 100.
  void SetColorWidth(std::int32_t percent);
  std::int32_t TopPos() const { return m_topPos; }
  // Raises LegendException outside 0 .. 100.
  void SetTopPos(std::int32_t percent);
  std::int32_t MaxNumRows() const { return m_maxNumRows; }
  void SetMaxNumRows(std::int32_t rows);
  bool ResizeChart() const { return m_resizeChart; }
  void SetResizeChart(bool resize);
  std::int32_t HorizMargin() const { return m_horizMargin; }
  void SetHorizMargin(std::int32_t margin);
  std::int32_t VertMargin() const { return m_vertMargin; }
  void SetVertMargin(std::int32_t margin);
  TColor Color() const { return m_color; }
  void SetColor(TColor color);
  TChartPen& Frame() { return m_frame; }
  TChartHiddenPen& DividingLines() { return m_dividingLines; }
  TColor ShadowColor() const { return m_shadowColor; }
  void SetShadowColor(TColor color);
  std::int32_t ShadowSize() const { return m_shadowSize; }
  void SetShadowSize(std::int32_t size);
  bool Inverted() const { return m_inverted; }
  void SetInverted(bool inverted);
  std::int32_t FirstValue() const { return m_firstValue; }
  // Raises LegendException below 0.
  void SetFirstValue(std::int32_t first);
  TBrush& Brush() { return m_brush; }
  TFont& Font() { return m_font; }

  bool LegendIsVertical() const {
    return m_alignment == TLegendAlignment::laLeft || m_alignment == TLegendAlignment::laRight;
  }
  // The style in effect: lsAuto resolved from the number of active series.
  TLegendStyle ResolvedStyle() const;
  std::int32_t LegendItemCount() const;
  // The text of item k (counting from 0) before OnGetLegendText.
  std::string ItemText(std::int32_t item) const;
  // Where the legend was drawn at the last paint.
  const TRect& LegendRect() const { return m_legendRect; }

  // Computes, draws and reserves the legend.
  void PaintLegend();

private:
  TCustomChart* m_chart;
  bool m_visible = true;
  TLegendAlignment m_alignment = TLegendAlignment::laRight;
  TLegendStyle m_legendStyle = TLegendStyle::lsAuto;
  TLegendTextStyle m_textStyle = TLegendTextStyle::ltsLeftValue;
  std::int32_t m_colorWidth = 12;
  std::int32_t m_topPos = 10;
  std::int32_t m_maxNumRows = 10;
  bool m_resizeChart = true;
  std::int32_t m_horizMargin = 0;
  std::int32_t m_vertMargin = 0;
  TColor m_color = clWhite;
  TChartPen m_frame;
  TChartHiddenPen m_dividingLines;
  TColor m_shadowColor = clBlack;
  std::int32_t m_shadowSize = 3;
  bool m_inverted = false;
  std::int32_t m_firstValue = 0;
  TBrush m_brush;
  TFont m_font;
  TRect m_legendRect;
};

// The value text of a point in a legend text style (Part of the legend's
// item texts, also usable by marks).
std::string LegendValueText(TChartSeries& series, std::int32_t index, TLegendTextStyle style);

class TCustomChart : public TCustomAxisPanel {
public:
  TCustomChart();
  ~TCustomChart() override;

  TChartWall& BackWall() { return *m_backWall; }
  TChartWall& LeftWall() { return *m_leftWall; }
  TChartWall& BottomWall() { return *m_bottomWall; }
  TChartTitle& Title() { return *m_title; }
  TChartTitle& Foot() { return *m_foot; }
  TChartLegend& Legend() { return *m_legend; }

  // The back wall's pen, and its colour.
  TChartPen& Frame() { return m_backWall->Pen(); }
  TColor BackColor() const { return m_backWall->Color(); }
  void SetBackColor(TColor color);

  void PlaceTitlesAndLegend() override;
  void PaintWalls() override;
  std::int32_t WallSize(const TChartAxis& axis) const override;

  // May change a legend item's text: the chart, the item's index, the text.
  std::function<void(TCustomChart&, std::int32_t, std::string&)> OnGetLegendText;
  // May change the legend's rectangle.
  std::function<void(TCustomChart&, TRect&)> OnGetLegendRect;
  // May change an item's text x and row top: index, x, y.
  std::function<void(TCustomChart&, std::int32_t, std::int32_t&, std::int32_t&)> OnGetLegendPos;

private:
  std::unique_ptr<TChartTitle> m_title;
  std::unique_ptr<TChartTitle> m_foot;
  std::unique_ptr<TChartWall> m_backWall;
  std::unique_ptr<TChartWall> m_leftWall;
  std::unique_ptr<TChartLegend> m_legend;
  std::unique_ptr<TChartWall> m_bottomWall;
};

// The published chart class.
class TChart : public TCustomChart {};

} // namespace curvella
