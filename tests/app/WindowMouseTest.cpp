// The chart in the window under simulated mouse input: presses, moves,
// releases and the wheel as Qt delivers them to the chart's widget.

#include <gtest/gtest.h>

#include <memory>

#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include "FakeDesktop.h"
#include "ShownWindow.h"
#include "app/ChartWidget.h"
#include "app/MainWindow.h"
#include "support/RowName.h"

namespace curvella {
namespace {

class WindowMouse : public test::ShownWindow {
protected:
  void SetUp() override {
    ShownWindow::SetUp();
    if (HasFatalFailure()) return;
    Run("x^2-3*x+2");
  }

  void Run(const char* expression) {
    Form->Edit(3).setText(QString::fromLatin1(expression));
    Form->Edit(1).setText("-1");
    Form->Edit(2).setText("4");
    test::FollowTheClock();
    QTest::mouseClick(&Form->Button(1), Qt::LeftButton);
    Shown(); // the paint after Run
  }

  TChartWidget& Widget() { return Form->Chart1Control(); }
  TChart& Chart() { return Form->Chart1(); }

  // Client points of the chart to the widget's, which has a 2-pixel edge.
  static QPoint At(TPoint p) { return {p.X + 2, p.Y + 2}; }

  void Press(Qt::MouseButton button, TPoint p) {
    test::FollowTheClock();
    QTest::mousePress(&Widget(), button, {}, At(p));
  }
  void Release(Qt::MouseButton button, TPoint p) {
    test::FollowTheClock();
    QTest::mouseRelease(&Widget(), button, {}, At(p));
  }
  void Move(TPoint p, Qt::MouseButtons held) {
    QMouseEvent move(QEvent::MouseMove, QPointF(At(p)), QPointF(Widget().mapToGlobal(At(p))), Qt::NoButton,
                     held, Qt::NoModifier);
    QCoreApplication::sendEvent(&Widget(), &move);
  }
  void Drag(Qt::MouseButton button, TPoint from, TPoint to) {
    Press(button, from);
    Move(to, button);
    Release(button, to);
  }

  // The widget as a paint shows it now.
  QImage Shown() { return Widget().grab().toImage().convertToFormat(QImage::Format_RGB32); }

  TPoint Centre() { return {Chart().PlotXCenter(), Chart().PlotYCenter()}; }
};

struct DragRow {
  const char* Name;
  int Distance;
  bool Zooms;
};

class WindowDragTable : public WindowMouse, public testing::WithParamInterface<DragRow> {};

TEST_P(WindowDragTable, DragOfMoreThanSixteenPixelsZooms) {
  const TPoint c = Centre();
  const double minimum = Chart().BottomAxis().Minimum();
  const double target = Chart().BottomAxis().PixelToValue(c.X);
  Drag(Qt::LeftButton, c, {c.X + GetParam().Distance, c.Y + GetParam().Distance});
  EXPECT_EQ(Chart().ChartZoomed(), GetParam().Zooms);
  EXPECT_EQ(Chart().BottomAxis().Minimum(), GetParam().Zooms ? target : minimum);
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << "the release lets the mouse go";
}

INSTANTIATE_TEST_SUITE_P(WindowMouse, WindowDragTable,
                         testing::Values(DragRow{"Sixteen", 16, false}, DragRow{"Seventeen", 17, true},
                                         DragRow{"Far", 200, true}),
                         test::RowName());

// During a drag every paint shows the rectangle inverted over the picture;
// a drag too small to zoom leaves the picture exactly as it was.
TEST_F(WindowMouse, ZoomRectangleInvertsThePictureAndLeavesNoTrace) {
  const QImage before = Shown();
  const TPoint a = {Centre().X - 40, Centre().Y - 30};
  const TPoint b = {a.X + 16, a.Y + 60};
  Press(Qt::LeftButton, a);
  EXPECT_EQ(QWidget::mouseGrabber(), &Widget()) << "the chart holds the mouse through the drag";
  Move(b, Qt::LeftButton);
  const QImage during = Shown();
  const QRect outline(At(a), At({b.X - 1, b.Y - 1}));
  int inverted = 0;
  for (int y = 0; y < before.height(); ++y) {
    for (int x = 0; x < before.width(); ++x) {
      const bool onOutline = outline.contains(x, y) && (x == outline.left() || x == outline.right() ||
                                                        y == outline.top() || y == outline.bottom());
      const QRgb expected = onOutline ? (~before.pixel(x, y) | 0xFF000000) : before.pixel(x, y);
      ASSERT_EQ(during.pixel(x, y), expected) << x << "," << y;
      inverted += onOutline;
    }
  }
  EXPECT_EQ(inverted, 2 * 16 + 2 * 60 - 4);
  Release(Qt::LeftButton, b);
  EXPECT_FALSE(Chart().ChartZoomed());
  EXPECT_EQ(Shown(), before);
}

TEST_F(WindowMouse, RunAfterAZoomKeepsTheAxesUntilTheUndo) {
  const TPoint c = Centre();
  Drag(Qt::LeftButton, {c.X - 100, c.Y - 100}, {c.X + 100, c.Y + 100});
  ASSERT_TRUE(Chart().ChartZoomed());
  Shown();
  const double bottom = Chart().BottomAxis().Minimum();
  const double top = Chart().LeftAxis().Maximum();
  Run("x*10");
  EXPECT_EQ(Chart().BottomAxis().Minimum(), bottom);
  EXPECT_EQ(Chart().LeftAxis().Maximum(), top);
  EXPECT_FALSE(Chart().LeftAxis().Automatic());
  Drag(Qt::LeftButton, {c.X + 100, c.Y + 100}, {c.X - 100, c.Y - 100});
  EXPECT_TRUE(Chart().LeftAxis().Automatic());
  Shown();
  EXPECT_EQ(Chart().LeftAxis().Minimum(), -10) << "automatic for the new points";
  EXPECT_NEAR(Chart().LeftAxis().Maximum(), 39.5, 1e-9);
}

TEST_F(WindowMouse, RightDragScrollsAndLeavingTheChartStopsIt) {
  const TPoint c = Centre();
  const double minimum = Chart().BottomAxis().Minimum();
  Press(Qt::RightButton, c);
  Move({c.X + 25, c.Y}, Qt::RightButton);
  EXPECT_LT(Chart().BottomAxis().Minimum(), minimum);
  Shown();
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&Widget(), &leave);
  EXPECT_FALSE(Chart().Panning().DragActive);
  Release(Qt::RightButton, {c.X + 25, c.Y});
}

TEST_F(WindowMouse, WheelNotchScrollsTheVerticalAxes) {
  const double minimum = Chart().LeftAxis().Minimum();
  const double maximum = Chart().LeftAxis().Maximum();
  const QPoint p = At(Centre());
  QWheelEvent down(QPointF(p), QPointF(Widget().mapToGlobal(p)), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(&Widget(), &down);
  EXPECT_NEAR(Chart().LeftAxis().Minimum(), minimum + (maximum - minimum) * 0.03, 1e-12);
  QWheelEvent half(QPointF(p), QPointF(Widget().mapToGlobal(p)), {}, {0, 60}, Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(&Widget(), &half);
  EXPECT_NEAR(Chart().LeftAxis().Minimum(), minimum + (maximum - minimum) * 0.03, 1e-12) << "half a notch";
  // Later runs keep the shifted axes until an undo drag gives them their
  // automatic ranges back.
  Run("x*10");
  EXPECT_FALSE(Chart().LeftAxis().Automatic());
  const TPoint c = Centre();
  Drag(Qt::LeftButton, {c.X + 100, c.Y + 100}, {c.X - 100, c.Y - 100});
  EXPECT_TRUE(Chart().LeftAxis().Automatic());
  Shown();
  EXPECT_NEAR(Chart().LeftAxis().Maximum(), 39.5, 1e-9);
}

TEST_F(WindowMouse, ClickOnTheTitleStartsNothing) {
  const TRect& title = Chart().Title().TitleRect();
  const TPoint p = {(title.Left + title.Right) / 2, (title.Top + title.Bottom) / 2};
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
    Press(button, p);
    EXPECT_FALSE(Chart().Zoom().DragActive || Chart().Panning().DragActive);
    Release(button, p);
  }
}

} // namespace
} // namespace curvella
