#pragma once

// The window's chart control: a widget that owns the chart and hosts it.
//
// The widget is the chart's outer size; a 2-pixel sunken edge surrounds the
// chart's client area, which is what the chart draws and exports (993 x 569
// outside, 989 x 565 inside). A paint hands the client area to the chart's
// paint handler, which copies its cached picture when nothing changed; the
// background is never erased. The chart's invalidation becomes a Qt update.
// Mouse input goes to the chart in client coordinates; a press holds the
// mouse until the last button is released.

#include <memory>

#include <QWidget>

#include "chart/Chart.h"

namespace curvella {

class TChartWidget : public QWidget, public TChartHost {
public:
  explicit TChartWidget(QWidget* parent = nullptr);
  ~TChartWidget() override;

  TChart& Chart() { return *m_chart; }

  void Invalidate() override;
  void RepaintNow() override;
  void ShowCursor(TCursor cursor) override;

protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void leaveEvent(QEvent* event) override;

private:
  void Press(QMouseEvent* event, bool doubleClick);

  std::unique_ptr<TChart> m_chart;
  // Wheel turns not yet a whole notch.
  int m_wheelRest = 0;
};

} // namespace curvella
