#pragma once

// The window, Form1: the chart, the four boxes (first x, last x, the
// expression, steps), three labels, six buttons and the Help menu, laid out
// as stored, each command a handler of its button.
//
//   Run                     Button1Click: enables Export, clears Series1 and
//                           samples the expression into it
//   Save as BMP             Button2Click: the chart as shown, as a BMP file
//                           (a PNG file for a name ending ".png" or with
//                           the PNG filter chosen)
//   Exit                    Button3Click: closes the window and the program
//   Export to CSV Database  Button4Click: the last run's points as a file
//   Save As EMF             Button5Click: the chart as shown, as an EMF file
//                           (an SVG file for a name ending ".svg" or with
//                           the SVG filter chosen)
//   Import CSV Databse      Button6Click: a point file into Series1
//   Ctrl+Shift+C            CopyChart: the chart on the clipboard, as the
//                           Save as BMP picture and as the SVG picture
//   Help > Online Help      Help2Click: the help page in the browser, or in
//                           a help window of Curvella's own when the desktop
//                           has nothing to open it with
//
// Started with a file argument, the program imports that point file as
// Import CSV Databse does (ImportPointFileArgument). Errors are not caught
// here: they reach the application's error display. Of the window, only the
// file dialogs' last folders are remembered between runs (see TQtDesktop).
//
// The stored place and size include the frame, which the window manager
// reports some time after the window is shown: the window is fitted to it
// once, when it is first known. A window that does not fit the screen's
// available area is moved onto it, and shrunk only where it must be.

#include <array>
#include <memory>

#include <QMainWindow>
#include <QRect>

#include "app/RunCommand.h"
#include "chart/Chart.h"
#include "chart/Series.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace curvella {

class TChartWidget;
class TDesktop;
class THelpWindow;

// The stored place and size of the window, its frame included, and of its
// contents, which scroll inside it.
inline constexpr int kFormLeft = 126;
inline constexpr int kFormTop = 112;
inline constexpr int kFormWidth = 812;
inline constexpr int kFormHeight = 612;
inline constexpr int kContentsWidth = 1001;
inline constexpr int kContentsHeight = 700;

// The place of a window's frame that fits the area: moved onto it, and
// shrunk only where it is larger than the area.
//   (126, 112, 812 x 612) in (0, 0, 1280 x 1024) -> unchanged
//   (126, 112, 812 x 612) in (0, 0, 640 x 450)   -> (0, 0, 640 x 450)
//   (126, 112, 812 x 612) in (0, 0, 900 x 700)   -> (88, 88, 812 x 612)
QRect FitToArea(const QRect& frame, const QRect& area);

class TForm1 : public QMainWindow {
public:
  explicit TForm1(TDesktop& desktop, QWidget* parent = nullptr);
  ~TForm1() override;

  TChartWidget& Chart1Control() { return *m_chart1; }
  TChart& Chart1();
  TLineSeries& Series1() { return *m_series1; }
  const TRunRecord& RunRecord() const { return *m_runRecord; }
  QPushButton& Button(int number) { return *m_buttons.at(static_cast<std::size_t>(number - 1)); }
  QLineEdit& Edit(int number) { return *m_edits.at(static_cast<std::size_t>(number - 1)); }
  QLabel& Label(int number) { return *m_labels.at(static_cast<std::size_t>(number - 1)); }
  QWidget& Contents() { return *m_contents; }

  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Help2Click();
  void CopyChart();

  // Import CSV Databse without its dialog, of the file chosen (a full name).
  void ImportPointFile(const QString& fileName);
  // The same of a file named on the command line, made absolute against the
  // current folder.
  void ImportPointFileArgument(const QString& argument);
  // The help window, once Help2Click has opened it.
  THelpWindow* HelpWindow() const { return m_helpWindow; }

protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  void CreateControls();
  void FitFrame();
  void FitToScreen();

  TDesktop& m_desktop;
  std::unique_ptr<TRunRecord> m_runRecord;
  QScrollArea* m_scroller = nullptr;
  QWidget* m_contents = nullptr;
  TChartWidget* m_chart1 = nullptr;
  TLineSeries* m_series1 = nullptr;
  std::array<QPushButton*, 6> m_buttons{};
  std::array<QLineEdit*, 4> m_edits{};
  std::array<QLabel*, 3> m_labels{};
  THelpWindow* m_helpWindow = nullptr;
  bool m_frameFitted = false;
};

} // namespace curvella
