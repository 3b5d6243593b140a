#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>

#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "FakeDesktop.h"
#include "ShownWindow.h"
#include "app/Application.h"
#include "app/ChartWidget.h"
#include "app/HelpPage.h"
#include "export/EmfRecords.h"
#include "numtext/Errors.h"
#include "numtext/PictureFormat.h"
#include "support/EmfCheck.h"
#include "support/RowName.h"

namespace curvella {
namespace {

using test::Desktop;

std::string ReadAll(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const QString& path, const std::string& bytes) {
  std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

class Window : public test::ShownWindow {
protected:
  void Click(int button) {
    test::FollowTheClock();
    QTest::mouseClick(&Form->Button(button), Qt::LeftButton);
  }

  // Types a box's text as a user would: all of it selected, then the keys.
  void Type(int edit, const QString& text) {
    QLineEdit& box = Form->Edit(edit);
    box.selectAll();
    if (text.isEmpty())
      QTest::keyClick(&box, Qt::Key_Delete);
    else
      QTest::keyClicks(&box, text);
    ASSERT_EQ(box.text(), text);
  }

  void Run(const QString& expression, const QString& first, const QString& last, const QString& steps) {
    Type(3, expression);
    Type(1, first);
    Type(2, last);
    Type(4, steps);
    Click(1);
  }

  // The file dialog's next answer.
  void Choose(const QString& fileName) { Desktop().Answers.push_back(fileName); }

  std::vector<double> Column(bool x) {
    const TChartValueList& list = x ? Form->Series1().XValues() : Form->Series1().YValues();
    std::vector<double> values;
    for (std::int32_t i = 0; i < list.ValueCount(); ++i) values.push_back(list.ValueAt(i));
    return values;
  }

  QString Path(const char* name) const { return Dir.filePath(QString::fromLatin1(name)); }

  QTemporaryDir Dir;
};

struct ControlRow {
  const char* Name;
  QRect Geometry;
  const char* Text;
};

class ControlTable : public testing::TestWithParam<ControlRow> {};

// The controls stand where the window stores them, with their captions and
// initial texts.
TEST_P(ControlTable, StandsAsStored) {
  Desktop().Reset();
  TForm1 form(Desktop());
  auto* control = form.Contents().findChild<QWidget*>(QString::fromLatin1(GetParam().Name));
  ASSERT_NE(control, nullptr);
  if (auto* label = qobject_cast<QLabel*>(control)) {
    // Labels grow to their text from their place.
    EXPECT_EQ(label->pos(), GetParam().Geometry.topLeft());
    EXPECT_EQ(label->height(), GetParam().Geometry.height());
    EXPECT_GE(label->width(),
              std::max(GetParam().Geometry.width(), label->fontMetrics().horizontalAdvance(label->text())));
    EXPECT_LT(label->geometry().right(), 100) << "clear of the boxes";
  } else {
    EXPECT_EQ(control->geometry(), GetParam().Geometry);
  }
  EXPECT_TRUE(control->isEnabled());
  QString text;
  if (auto* button = qobject_cast<QPushButton*>(control)) text = button->text();
  if (auto* edit = qobject_cast<QLineEdit*>(control)) text = edit->text();
  if (auto* label = qobject_cast<QLabel*>(control)) text = label->text();
  EXPECT_EQ(text.toStdString(), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(Window, ControlTable,
                         testing::Values(ControlRow{"Chart1", {8, 16, 993, 569}, ""},
                                         ControlRow{"Button1", {232, 625, 120, 25}, "Run"},
                                         ControlRow{"Edit1", {100, 600, 120, 21}, "0"},
                                         ControlRow{"Edit2", {100, 625, 120, 21}, "2"},
                                         ControlRow{"Edit3", {232, 600, 449, 21}, "function f(x)"},
                                         ControlRow{"Edit4", {100, 650, 120, 21}, "100"},
                                         ControlRow{"Button2", {232, 650, 120, 25}, "Save as BMP"},
                                         ControlRow{"Button3", {352, 675, 120, 25}, "Exit"},
                                         ControlRow{"Button4", {352, 625, 120, 25}, "Export to CSV Database"},
                                         ControlRow{"Button5", {352, 650, 120, 25}, "Save As EMF"},
                                         ControlRow{"Button6", {232, 675, 120, 25}, "Import CSV Databse"},
                                         ControlRow{"Label1", {56, 650, 27, 13}, "Steps"},
                                         ControlRow{"Label2", {15, 600, 76, 13}, "Initial Value of X"},
                                         ControlRow{"Label3", {15, 625, 72, 13}, "Last Value of X"}),
                         test::RowName());

TEST_F(Window, CaptionPlaceFontMenuAndScrollingContents) {
  EXPECT_EQ(Form->windowTitle(), "Curvella v.1.1");
  EXPECT_EQ(Form->frameGeometry().topLeft(), QPoint(126, 112));
  EXPECT_EQ(Form->frameGeometry().size(), QSize(812, 612));
  EXPECT_EQ(Form->font().pixelSize(), 11);
  EXPECT_EQ(QFontInfo(Form->font()).family(), "DejaVu Sans");
  EXPECT_EQ(Form->Contents().size(), QSize(1001, 700));
  auto* scroller = Form->findChild<QScrollArea*>();
  ASSERT_NE(scroller, nullptr);
  EXPECT_GT(scroller->verticalScrollBar()->maximum(), 0) << "the contents scroll";
  EXPECT_EQ(Form->Chart1Control().Chart().ClientDrawRect(), (TRect{0, 0, 989, 565}));
  ASSERT_EQ(Form->menuBar()->actions().size(), 1);
  QAction* help = Form->menuBar()->actions().front();
  EXPECT_EQ(help->text(), "&Help");
  ASSERT_EQ(help->menu()->actions().size(), 1);
  EXPECT_EQ(help->menu()->actions().front()->text(), "Online Help");
}

TEST_F(Window, TabOrderIsTheStoredOne) {
  QStringList names;
  QWidget* widget = &Form->Button(1);
  for (int i = 0; i < 10; ++i) {
    names << widget->objectName();
    do {
      widget = widget->nextInFocusChain();
    } while (!(widget->focusPolicy() & Qt::TabFocus) || !Form->Contents().isAncestorOf(widget));
  }
  EXPECT_EQ(names.join(' '), "Button1 Edit1 Edit2 Edit3 Edit4 Button2 Button3 Button4 Button5 Button6");
  EXPECT_EQ(widget, &Form->Button(1)) << "the order comes round to Run";
}

TEST_F(Window, RunAtStartUpPlotsZeroFromNoughtToOneNinetyEight) {
  Form->Button(4).setEnabled(false);
  Click(1);
  EXPECT_TRUE(Form->Button(4).isEnabled());
  const std::vector<double> xs = Column(true);
  ASSERT_EQ(xs.size(), 100u);
  double x = 0;
  for (double sampled : xs) {
    EXPECT_EQ(sampled, x);
    x = NextX(x, 0, 2, 100);
  }
  EXPECT_NEAR(xs.back(), 1.98, 1e-12);
  for (double y : Column(false)) EXPECT_EQ(y, 0);
  EXPECT_TRUE(Desktop().Boxes.empty());
}

struct StepsRow {
  const char* Name;
  const char* Steps;
  std::size_t Points;
};

class StepsTable : public testing::TestWithParam<StepsRow> {};

TEST_P(StepsTable, RunClampsTheSteps) {
  Desktop().Reset();
  TForm1 form(Desktop());
  form.Edit(4).setText(QString::fromLatin1(GetParam().Steps));
  QTest::mouseClick(&form.Button(1), Qt::LeftButton);
  EXPECT_EQ(static_cast<std::size_t>(form.Series1().PointCount()), GetParam().Points);
  EXPECT_EQ(static_cast<std::size_t>(form.RunRecord().StepCount), GetParam().Points);
}

INSTANTIATE_TEST_SUITE_P(Window, StepsTable,
                         testing::Values(StepsRow{"Zero", "0", 1000}, StepsRow{"Negative", "-5", 1000},
                                         StepsRow{"Empty", "", 1000}, StepsRow{"Letters", "abc", 1000},
                                         StepsRow{"TooMany", "20000", 10000},
                                         StepsRow{"Fraction", "50.5", 50}, StepsRow{"Exponent", "1e3", 1}),
                         test::RowName());

TEST_F(Window, RunSamplesDownwardIntoAscendingPoints) {
  Run("x*x", "2", "0", "4");
  EXPECT_EQ(Column(true), (std::vector<double>{0.5, 1, 1.5, 2}));
  EXPECT_EQ(Column(false), (std::vector<double>{0.25, 1, 2.25, 4}));
}

TEST_F(Window, DivisionByZeroShowsItsBoxAndKeepsThePointsBefore) {
  Run("1/x", "-1", "1", "2");
  ASSERT_EQ(Desktop().Boxes.size(), 1u);
  EXPECT_EQ(Desktop().Boxes[0].Caption, "Curvella");
  EXPECT_EQ(Desktop().Boxes[0].Text, "Floating point division by zero.");
  EXPECT_EQ(Column(true), std::vector<double>{-1});
  EXPECT_EQ(Form->RunRecord().StepCount, 2);
  EXPECT_TRUE(Form->Button(4).isEnabled());
}

TEST_F(Window, FirstXBeyondTheDoubleRangeLeavesTheRecord) {
  Run("x", "0", "4", "4");
  Form->Button(4).setEnabled(false);
  Type(1, "1e400");
  Click(1);
  ASSERT_EQ(Desktop().Boxes.size(), 1u);
  EXPECT_EQ(Desktop().Boxes[0].Text, "Floating point overflow.");
  EXPECT_EQ(Form->RunRecord().FirstX, 0);
  EXPECT_EQ(Form->RunRecord().LastX, 4);
  EXPECT_EQ(Form->RunRecord().StepCount, 4);
  EXPECT_EQ(Form->Series1().PointCount(), 0) << "the series was cleared first";
  EXPECT_TRUE(Form->Button(4).isEnabled()) << "Export was enabled first";
}

TEST_F(Window, RefusedExpressionShowsItsMessage) {
  Run("x+", "0", "1", "5");
  ASSERT_EQ(Desktop().Boxes.size(), 1u);
  EXPECT_FALSE(Desktop().Boxes[0].Text.isEmpty());
  EXPECT_EQ(Form->Series1().PointCount(), 0);
}

TEST_F(Window, RunAfterAZoomKeepsTheAxes) {
  Run("x", "0", "2", "10");
  Form->Chart1().BottomAxis().SetAxisRange(0.5, 1);
  Form->Chart1().LeftAxis().SetAxisRange(-3, 3);
  Run("x*x", "0", "2", "10");
  EXPECT_EQ(Form->Series1().PointCount(), 10);
  EXPECT_EQ(Form->Chart1().BottomAxis().Minimum(), 0.5);
  EXPECT_EQ(Form->Chart1().BottomAxis().Maximum(), 1);
  EXPECT_EQ(Form->Chart1().LeftAxis().Minimum(), -3);
  EXPECT_FALSE(Form->Chart1().BottomAxis().Automatic());
}

TEST_F(Window, ExportWritesTheLastRunOverAnExistingFileWithoutAQuestion) {
  Run("x*x", "0", "2", "2");
  WriteAll(Path("points.csv"),
           "old contents that are longer than the new ones ...........................\r\n");
  Choose(Path("points.csv"));
  Click(4);
  ASSERT_EQ(Desktop().Dialogs.size(), 1u);
  EXPECT_STREQ(Desktop().Dialogs[0].Filter, "CSV Files|*.csv");
  EXPECT_STREQ(Desktop().Dialogs[0].DefaultExt, "CSV");
  EXPECT_EQ(Desktop().Dialogs[0].Kind, TFileDialogKind::fdSave);
  EXPECT_EQ(ReadAll(Path("points.csv")), " 0.00000000000000E+0000; 0.00000000000000E+0000\r\n"
                                         " 1.00000000000000E+0000; 1.00000000000000E+0000\r\n");
  EXPECT_TRUE(Desktop().Boxes.empty());
}

TEST_F(Window, ExportBeforeAnyRunWritesAnEmptyFile) {
  WriteAll(Path("empty.csv"), "something\r\n");
  Choose(Path("empty.csv"));
  Click(4);
  EXPECT_EQ(ReadAll(Path("empty.csv")), "");
}

TEST_F(Window, ImportFillsTheSeriesNamesTheFileAndDisablesExport) {
  WriteAll(Path("in.csv"), "3;4;5\r\n1.5;2.5\n7\r\nabc;1\r\n\r\n9;9\r\n");
  Choose(Path("in.csv"));
  Click(6);
  ASSERT_EQ(Desktop().Dialogs.size(), 1u);
  EXPECT_EQ(Desktop().Dialogs[0].Kind, TFileDialogKind::fdOpen);
  EXPECT_STREQ(Desktop().Dialogs[0].Filter, "CSV Files|*.csv");
  EXPECT_EQ(Column(true), (std::vector<double>{0, 0, 1.5, 3}));
  EXPECT_EQ(Column(false), (std::vector<double>{7, 1, 2.5, 4}));
  EXPECT_EQ(Form->Edit(3).text(), "Import of CSV File:" + Path("in.csv"));
  EXPECT_FALSE(Form->Button(4).isEnabled());
  Click(1);
  EXPECT_TRUE(Form->Button(4).isEnabled()) << "Run enables Export again";
}

TEST_F(Window, ImportOfAMissingFileShowsItsBoxAndChangesNothing) {
  Run("x", "0", "1", "5");
  Choose(Path("missing.csv"));
  Click(6);
  ASSERT_EQ(Desktop().Boxes.size(), 1u);
  EXPECT_EQ(Desktop().Boxes[0].Caption, "Curvella");
  EXPECT_EQ(Desktop().Boxes[0].Text, "File not found.");
  EXPECT_EQ(Form->Series1().PointCount(), 5);
  EXPECT_EQ(Form->Edit(3).text(), "x");
  EXPECT_TRUE(Form->Button(4).isEnabled());
}

TEST_F(Window, ExportedFileImportsToFifteenDigits) {
  Run("sin(x)", "0", "3", "7");
  const std::vector<double> ys = Column(false);
  Choose(Path("round.csv"));
  Click(4);
  Choose(Path("round.csv"));
  Click(6);
  const std::vector<double> imported = Column(false);
  ASSERT_EQ(imported.size(), ys.size());
  for (std::size_t i = 0; i < ys.size(); ++i)
    EXPECT_NEAR(imported[i], ys[i], std::fabs(ys[i]) * 1e-14 + 1e-300);
}

TEST_F(Window, CancelledDialogsDoNothing) {
  Run("x", "0", "1", "3");
  for (int button : {2, 4, 5, 6}) Click(button);
  EXPECT_EQ(Desktop().Dialogs.size(), 4u);
  EXPECT_EQ(Form->Series1().PointCount(), 3);
  EXPECT_EQ(Form->Edit(3).text(), "x");
  EXPECT_TRUE(Form->Button(4).isEnabled());
  EXPECT_TRUE(Desktop().Boxes.empty());
  EXPECT_TRUE(QDir(Dir.path()).isEmpty());
}

// The saved picture is the picture the window shows inside the chart's edge.
TEST_F(Window, SavedBitmapIsThePictureOnTheScreen) {
  Run("x^2-3*x+2", "-1", "4", "100");
  QCoreApplication::processEvents();
  const QImage shown = Form->Chart1Control().grab().toImage().convertToFormat(QImage::Format_RGB32);
  WriteAll(Path("chart.bmp"), "an older picture");
  Choose(Path("chart.bmp"));
  Click(2);
  EXPECT_STREQ(Desktop().Dialogs.at(0).Filter, "Bitmap Files|*.bmp");
  EXPECT_STREQ(Desktop().Dialogs.at(0).DefaultExt, "BMP");
  const QImage saved(Path("chart.bmp"), "BMP");
  ASSERT_EQ(saved.size(), QSize(989, 565));
  const QImage inside = shown.copy(2, 2, 989, 565);
  const QImage savedRgb = saved.convertToFormat(QImage::Format_RGB32);
  int blue = 0;
  for (int y = 0; y < 565; ++y) {
    for (int x = 0; x < 989; ++x) {
      ASSERT_EQ(savedRgb.pixel(x, y), inside.pixel(x, y)) << x << "," << y;
      blue += RGBOfPixel(savedRgb.pixel(x, y)) == clBlue;
    }
  }
  EXPECT_GT(blue, 500) << "the parabola";
}

TEST_F(Window, SaveAsEmfRecordsTheChartAsShown) {
  Run("x^2-3*x+2", "-1", "4", "100");
  Form->Chart1().BottomAxis().SetAxisRange(0, 2);
  WriteAll(Path("chart.emf"), "an older picture");
  Choose(Path("chart.emf"));
  Click(5);
  ASSERT_EQ(Desktop().Dialogs.size(), 1u);
  EXPECT_STREQ(Desktop().Dialogs[0].Filter, "MetaFile EMF|*.emf");
  EXPECT_STREQ(Desktop().Dialogs[0].DefaultExt, "EMF");
  EXPECT_TRUE(Desktop().Boxes.empty());
  const std::string bytes = ReadAll(Path("chart.emf"));
  const std::span<const std::uint8_t> view(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  EXPECT_FALSE(emf::EmfFault(view));
  EXPECT_EQ(test::UnsafeEmfRecord(view), "");
  EXPECT_TRUE(test::ConvertsToSvg(Path("chart.emf").toStdString()));
  EXPECT_EQ(Form->Chart1().BottomAxis().Maximum(), 2) << "the zoom stays";
  EXPECT_TRUE(Form->Chart1().Canvas().OffscreenBuffer());
}

// Enter presses the focused button, as Space does.
TEST_F(Window, EnterPressesTheFocusedButton) {
  Type(4, "10");
  Form->Button(1).setFocus();
  QTest::keyClick(&Form->Button(1), Qt::Key_Return);
  EXPECT_EQ(Column(true).size(), 10u);
  Type(4, "20");
  Form->Button(1).setFocus();
  QTest::keyClick(&Form->Button(1), Qt::Key_Enter);
  EXPECT_EQ(Column(true).size(), 20u);
}

TEST_F(Window, ExitClosesTheWindow) {
  Click(3);
  EXPECT_FALSE(Form->isVisible());
}

TEST_F(Window, OnlineHelpOpensTheShippedPage) {
  Form->menuBar()->actions().front()->menu()->actions().front()->trigger();
  ASSERT_EQ(Desktop().Urls.size(), 1u);
  EXPECT_TRUE(Desktop().Urls[0].isLocalFile());
  EXPECT_TRUE(Desktop().Urls[0].toLocalFile().endsWith(QString::fromLatin1(kHelpPageName)));
  const QUrl built = HelpPageUrl(QString::fromLatin1(CURVELLA_WINDOW_DIR));
  EXPECT_TRUE(QFileInfo::exists(built.toLocalFile())) << built.toString().toStdString();
  EXPECT_NE(ReadAll(built.toLocalFile()).find("Import CSV Databse"), std::string::npos);
}

TEST_F(Window, LocaleChangeRereadsTheSeparators) {
  const QByteArray before = qgetenv("LC_ALL");
  qputenv("LC_ALL", "de_DE.UTF-8");
  QEvent change(QEvent::LocaleChange);
  QCoreApplication::sendEvent(Form.get(), &change);
  EXPECT_EQ(DecimalSeparator(), ',');
  EXPECT_EQ(ThousandSeparator(), '.');
  qputenv("LC_ALL", "C");
  QCoreApplication::sendEvent(Form.get(), &change);
  EXPECT_EQ(DecimalSeparator(), '.');
  if (before.isNull())
    qunsetenv("LC_ALL");
  else
    qputenv("LC_ALL", before);
  QCoreApplication::sendEvent(Form.get(), &change);
}

// A widget that holds the mouse, as the chart during a drag.
class TGrabbingWidget : public QWidget {
public:
  bool event(QEvent* event) override {
    if (event->type() == CancelModeEventType()) ++Cancels;
    return QWidget::event(event);
  }
  int Cancels = 0;
};

struct ErrorRow {
  const char* Name;
  std::function<void()> Raise;
  const char* Shown; // nullptr: no box
};

class ErrorTable : public testing::TestWithParam<ErrorRow> {};

TEST_P(ErrorTable, ErrorDisplayCancelsTheDragAndShowsTheText) {
  Desktop().Reset();
  TGrabbingWidget holder;
  holder.show();
  holder.grabMouse();
  RunEventHandler(GetParam().Raise);
  EXPECT_EQ(holder.Cancels, 1);
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  if (!GetParam().Shown) {
    EXPECT_TRUE(Desktop().Boxes.empty());
    return;
  }
  ASSERT_EQ(Desktop().Boxes.size(), 1u);
  EXPECT_EQ(Desktop().Boxes[0].Caption, "Curvella");
  EXPECT_EQ(Desktop().Boxes[0].Text.toStdString(), GetParam().Shown);
}

INSTANTIATE_TEST_SUITE_P(
    Window, ErrorTable,
    testing::Values(ErrorRow{"LetterGetsAFullStop", [] { throw EZeroDivide(); },
                             "Floating point division by zero."},
                    ErrorRow{"FullStopStays", [] { throw Exception("Done."); }, "Done."},
                    ErrorRow{"BracketStays", [] { throw Exception("(see above)"); }, "(see above)"},
                    ErrorRow{"DigitGetsAFullStop", [] { throw Exception("I/O error 32"); }, "I/O error 32."},
                    ErrorRow{"EmptyStaysEmpty", [] { throw Exception(""); }, ""},
                    ErrorRow{"AbortIsSilent", [] { throw EAbort(); }, nullptr},
                    ErrorRow{"OutOfMemory", [] { throw std::bad_alloc(); }, "Out of memory."},
                    ErrorRow{"UnknownType", [] { throw 42; }, "Unknown error."}),
    test::RowName());

// Whatever escapes an event handler outside a command is shown too.
class TFailingObject : public QObject {
public:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) throw EOverflow();
    return QObject::event(event);
  }
};

TEST_F(Window, EventLoopShowsErrorsOfAnyEvent) {
  TFailingObject failing;
  QEvent event(QEvent::User);
  QCoreApplication::sendEvent(&failing, &event);
  ASSERT_EQ(Desktop().Boxes.size(), 1u);
  EXPECT_EQ(Desktop().Boxes[0].Text, "Floating point overflow.");
}

// A chart that fails to paint shows its error once the paint is over, and
// one box for the paints that failed meanwhile.
TEST_F(Window, PaintErrorsShowOneBoxAfterThePaint) {
  Form->Chart1().OnAfterDraw = [](TCustomChartPanel&) { throw EOverflow(); };
  for (int i = 0; i < 3; ++i) {
    Form->Chart1().Invalidate();
    Form->Chart1Control().repaint();
  }
  EXPECT_TRUE(Desktop().Boxes.empty());
  QCoreApplication::processEvents();
  ASSERT_EQ(Desktop().Boxes.size(), 1u);
  EXPECT_EQ(Desktop().Boxes[0].Text, "Floating point overflow.");
  Form->Chart1().OnAfterDraw = nullptr;
}

TEST_F(Window, ChartShowsItsPictureInsideTheSunkenEdge) {
  Run("x", "0", "1", "10");
  QCoreApplication::processEvents();
  const QImage shown = Form->Chart1Control().grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shown.size(), QSize(993, 569));
  EXPECT_EQ(RGBOfPixel(shown.pixel(0, 0)), ColorToRGB(clBtnShadow));
  EXPECT_EQ(RGBOfPixel(shown.pixel(1, 1)), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(RGBOfPixel(shown.pixel(992, 568)), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(shown.copy(2, 2, 989, 565), Form->Chart1().WindowImage());
}

TEST(WindowFilters, DialogFiltersBecomeQtNameFilters) {
  EXPECT_EQ(QtNameFilters("Bitmap Files|*.bmp"), QStringList{"Bitmap Files (*.bmp)"});
  EXPECT_EQ(QtNameFilters("CSV Files|*.csv|All|*.*"), (QStringList{"CSV Files (*.csv)", "All (*.*)"}));
  EXPECT_EQ(QtNameFilters(""), QStringList{});
}

} // namespace
} // namespace curvella
