// The window as a desktop program: a file named on the command line, Tab,
// the busy cursor and presses dropped during a command, the real file
// dialogs with their extensions and remembered folders, the help window,
// and the window's place on the screen.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>

#include <QApplication>
#include <QBackingStore>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "FakeDesktop.h"
#include "ShownWindow.h"
#include "app/Application.h"
#include "app/ChartWidget.h"
#include "app/HelpWindow.h"
#include "app/MainWindow.h"
#include "platform/Files.h"
#include "support/RowName.h"

namespace curvella {
namespace {

using test::Desktop;

class WindowDesktop : public test::ShownWindow {
protected:
  void TearDown() override { SetFileFaultHook(nullptr); }

  QString Write(const char* name, const char* contents) {
    const QString path = Dir.filePath(QString::fromLatin1(name));
    std::ofstream(path.toStdString(), std::ios::binary) << contents;
    return path;
  }

  void Click(QPushButton& button) {
    test::FollowTheClock();
    QTest::mouseClick(&button, Qt::LeftButton);
  }

  std::int32_t PointCount() { return Form->Series1().XValues().ValueCount(); }

  QTemporaryDir Dir;
};

TEST_F(WindowDesktop, FileArgumentIsImportedByItsAbsoluteName) {
  Write("points.csv", " 1.00000000000000E+0000; 2.00000000000000E+0000\r\n");
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(Dir.path()));
  Form->ImportPointFileArgument(QStringLiteral("points.csv"));
  QDir::setCurrent(before);
  EXPECT_EQ(Form->Edit(3).text(), QStringLiteral("Import of CSV File:") + Dir.filePath("points.csv"));
  EXPECT_EQ(PointCount(), 1);
  EXPECT_FALSE(Form->Button(4).isEnabled());
}

TEST_F(WindowDesktop, MissingFileArgumentShowsTheImportsBox) {
  RunEventHandler([&] { Form->ImportPointFileArgument(Dir.filePath("missing.csv")); });
  ASSERT_EQ(Desktop().Boxes.size(), 1u);
  EXPECT_EQ(Desktop().Boxes[0].Text, "File not found.");
  EXPECT_EQ(Form->Edit(3).text(), "function f(x)");
  EXPECT_TRUE(Form->Button(4).isEnabled());
}

// From any control, Tab and Shift+Tab stop only on the buttons and boxes,
// which show where the focus is.
TEST_F(WindowDesktop, TabStopsOnlyWhereTheFocusShows) {
  Desktop().Answers.push_back(Write("one.csv", " 1.00000000000000E+0000; 2.00000000000000E+0000\r\n"));
  Click(Form->Button(6));
  QApplication::setActiveWindow(Form.get());
  for (const bool backward : {false, true}) {
    Form->Button(6).setFocus();
    for (int i = 0; i < 12; ++i) {
      QWidget* focus = QApplication::focusWidget();
      ASSERT_NE(focus, nullptr);
      QTest::keyClick(focus, Qt::Key_Tab, backward ? Qt::ShiftModifier : Qt::NoModifier);
      focus = QApplication::focusWidget();
      ASSERT_TRUE(qobject_cast<QPushButton*>(focus) || qobject_cast<QLineEdit*>(focus))
          << "Tab " << i << " reached " << (focus ? focus->metaObject()->className() : "nothing");
    }
  }
}

TEST_F(WindowDesktop, CommandsShowTheBusyCursorWhileTheyWork) {
  int filesOpened = 0;
  int openedBusy = 0;
  SetFileFaultHook([&](TFileOperation operation) {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    if (operation == TFileOperation::Open) {
      ++filesOpened;
      openedBusy += cursor && cursor->shape() == Qt::WaitCursor;
    }
    return 0;
  });
  int shown = TBusyCursor::TimesShown();
  Click(Form->Button(1));
  EXPECT_EQ(TBusyCursor::TimesShown(), shown + 1) << "Run";
  const std::pair<int, const char*> commands[] = {
      {4, "points.csv"}, {6, "points.csv"}, {2, "chart.bmp"}, {5, "chart.emf"}};
  for (const auto& [button, file] : commands) {
    Desktop().Answers.push_back(Dir.filePath(QString::fromLatin1(file)));
    shown = TBusyCursor::TimesShown();
    Click(Form->Button(button));
    EXPECT_GT(TBusyCursor::TimesShown(), shown) << "Button" << button;
  }
  EXPECT_EQ(filesOpened, 4);
  EXPECT_EQ(openedBusy, filesOpened);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(WindowDesktop, OnlyADrawingPassShowsTheBusyCursor) {
  Form->Chart1Control().grab();
  const int before = TBusyCursor::TimesShown();
  Form->Chart1Control().grab();
  EXPECT_EQ(TBusyCursor::TimesShown(), before) << "the picture is copied";
  Form->Chart1().Invalidate();
  Form->Chart1Control().grab();
  EXPECT_EQ(TBusyCursor::TimesShown(), before + 1);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(WindowDesktop, AFailedRunRestoresTheCursorBeforeItsBox) {
  Form->Edit(3).setText("1/x");
  Click(Form->Button(1));
  ASSERT_EQ(Desktop().Boxes.size(), 1u);
  EXPECT_FALSE(Desktop().Boxes[0].Busy);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// Presses that the window system stamped while Run was working arrive after
// it: they are dropped with their releases. Later ones are not.
TEST_F(WindowDesktop, PressesDuringACommandAreDroppedNotReplayed) {
  // Terms that differ, so that each call is evaluated at every x.
  std::string expression = "sin(x*1)*x+1";
  for (int k = 2; k <= 60; ++k) expression += "+sin(x*" + std::to_string(k) + ")*x+" + std::to_string(k);
  Form->Edit(3).setText(QString::fromStdString(expression));
  Form->Edit(4).setText("10000");
  test::FollowTheClock();
  const int clicked = QTest::lastMouseTimestamp + 2;
  const auto post = [&](QWidget& target, QEvent::Type type, int time) {
    auto event = std::make_unique<QMouseEvent>(
        type, QPointF(5, 5), QPointF(target.mapToGlobal(QPoint(5, 5))), Qt::LeftButton,
        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    event->setTimestamp(static_cast<quint64>(time));
    QCoreApplication::postEvent(&target, event.release());
  };
  // During the run: Export (it would ask for a file) and Run again.
  post(Form->Button(4), QEvent::MouseButtonPress, clicked + 5);
  post(Form->Button(4), QEvent::MouseButtonRelease, clicked + 6);
  post(Form->Button(1), QEvent::MouseButtonPress, clicked + 7);
  post(Form->Button(1), QEvent::MouseButtonRelease, clicked + 8);
  QElapsedTimer run;
  run.start();
  QTest::mouseClick(&Form->Button(1), Qt::LeftButton);
  ASSERT_GT(run.elapsed(), 8) << "the run must outlast the presses";
  // A second run would sample 5 points.
  Form->Edit(4).setText("5");
  QCoreApplication::processEvents();
  EXPECT_TRUE(Desktop().Dialogs.empty());
  EXPECT_EQ(PointCount(), 10000) << "no second run";
  // Long after it: Export asks for its file.
  post(Form->Button(4), QEvent::MouseButtonPress, clicked + 600000);
  post(Form->Button(4), QEvent::MouseButtonRelease, clicked + 600001);
  QCoreApplication::processEvents();
  EXPECT_EQ(Desktop().Dialogs.size(), 1u);
}

struct DialogNameRow {
  const char* Name;
  TFileDialogKind Kind;
  const char* Typed;
  int Filter; // 0 the stored, 1 the PNG image, 2 all files
  bool Exists;
  const char* Chosen;
};

class DialogNameTable : public testing::TestWithParam<DialogNameRow> {};

constexpr TExtraFilter kPng[] = {{"PNG image|*.png", "png"}};

TEST_P(DialogNameTable, ExtensionIsAddedOnlyWhereItMust) {
  const DialogNameRow& row = GetParam();
  const TFileDialogSpec dialog{row.Kind, "CSV Files|*.csv", "CSV", "Dialog", kPng};
  EXPECT_EQ(DialogFileName(dialog, QString::fromLatin1(row.Typed), row.Filter,
                           [&](const QString&) { return row.Exists; }),
            QString::fromLatin1(row.Chosen));
}

INSTANTIATE_TEST_SUITE_P(
    Window, DialogNameTable,
    testing::Values(DialogNameRow{"SaveAddsTheExtension", TFileDialogKind::fdSave, "/d/points", 0, false,
                                  "/d/points.CSV"},
                    DialogNameRow{"SaveOverAnExistingNameWithoutOne", TFileDialogKind::fdSave, "/d/points", 0,
                                  true, "/d/points.CSV"},
                    DialogNameRow{"SaveKeepsAnyExtension", TFileDialogKind::fdSave, "/d/points.txt", 0, false,
                                  "/d/points.txt"},
                    DialogNameRow{"SaveLooksOnlyAtTheName", TFileDialogKind::fdSave, "/d.old/points", 0,
                                  false, "/d.old/points.CSV"},
                    DialogNameRow{"SaveTakesTheChosenFormatsExtension", TFileDialogKind::fdSave, "/d/chart",
                                  1, false, "/d/chart.png"},
                    DialogNameRow{"SaveOfAllFilesTakesTheDefault", TFileDialogKind::fdSave, "/d/chart", 2,
                                  false, "/d/chart.CSV"},
                    DialogNameRow{"OpenTakesAnExistingNameAsTyped", TFileDialogKind::fdOpen, "/d/noext", 0,
                                  true, "/d/noext"},
                    DialogNameRow{"OpenAddsTheExtensionToAMissingName", TFileDialogKind::fdOpen, "/d/noext",
                                  0, false, "/d/noext.CSV"},
                    DialogNameRow{"OpenKeepsAMissingNameWithOne", TFileDialogKind::fdOpen, "/d/gone.csv", 0,
                                  false, "/d/gone.csv"}),
    test::RowName());

// The picture dialogs offer today's format after their own, every dialog
// all files last.
TEST_F(WindowDesktop, DialogsOfferTheirFormatsThenAllFiles) {
  for (const int button : {2, 4, 5, 6}) Click(Form->Button(button));
  ASSERT_EQ(Desktop().Dialogs.size(), 4u);
  EXPECT_EQ(DialogNameFilters(Desktop().Dialogs[0]),
            QStringList({"Bitmap Files (*.bmp)", "PNG image (*.png)", "All files (*)"}));
  EXPECT_EQ(DialogNameFilters(Desktop().Dialogs[1]), QStringList({"CSV Files (*.csv)", "All files (*)"}));
  EXPECT_EQ(DialogNameFilters(Desktop().Dialogs[2]),
            QStringList({"MetaFile EMF (*.emf)", "SVG image (*.svg)", "All files (*)"}));
  EXPECT_EQ(DialogNameFilters(Desktop().Dialogs[3]), QStringList({"CSV Files (*.csv)", "All files (*)"}));
}

struct FormatRow {
  const char* Name;
  int Button;
  const char* File;
  int Filter;
  const char* Starts; // the file's first bytes
};

class FormatTable : public WindowDesktop, public testing::WithParamInterface<FormatRow> {};

// A name ending in the extra format's extension takes that format whatever
// the filter; any other name the chosen filter's.
TEST_P(FormatTable, NameOrFilterChoosesThePicturesFormat) {
  Desktop().Answers.push_back({Dir.filePath(QString::fromLatin1(GetParam().File)), GetParam().Filter});
  Click(Form->Button(GetParam().Button));
  ASSERT_TRUE(Desktop().Boxes.empty());
  std::ifstream in(Dir.filePath(QString::fromLatin1(GetParam().File)).toStdString(), std::ios::binary);
  std::string start(5, '\0');
  in.read(start.data(), 5);
  const std::string expected = GetParam().Starts;
  EXPECT_EQ(start.substr(0, expected.size()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Window, FormatTable,
    testing::Values(FormatRow{"Bmp", 2, "c.bmp", 0, "BM"}, FormatRow{"PngByName", 2, "c.png", 0, "\x89PNG"},
                    FormatRow{"PngByNameInCapitals", 2, "c.PNG", 2, "\x89PNG"},
                    FormatRow{"PngByFilter", 2, "c.bmp", 1, "\x89PNG"},
                    FormatRow{"BmpOfAllFiles", 2, "c.dat", 2, "BM"},
                    FormatRow{"Emf", 5, "c.emf", 0, "\x01\x00\x00\x00"},
                    FormatRow{"SvgByName", 5, "c.Svg", 0, "<?xml"},
                    FormatRow{"SvgByFilter", 5, "c.emf", 1, "<?xml"},
                    FormatRow{"WmfOfTheSvgFilter", 5, "c.wmf", 1, "<?xml"},
                    FormatRow{"WmfOfTheStoredFilter", 5, "c.wmf", 0, "\x01\x00\x00\x00"}),
    test::RowName());

// Ctrl+Shift+C puts the Save as BMP picture and the SVG picture on the
// clipboard; Ctrl+C in a box still copies its text.
TEST_F(WindowDesktop, ControlShiftCCopiesTheChart) {
  Click(Form->Button(1));
  QApplication::setActiveWindow(Form.get());
  Form->Edit(3).setFocus();
  Form->Edit(3).selectAll();
  QTest::keyClick(&Form->Edit(3), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "function f(x)");
  QTest::keyClick(&Form->Edit(3), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(copied, nullptr);
  ASSERT_TRUE(copied->hasImage());
  Desktop().Answers.push_back(Dir.filePath("chart.bmp"));
  Click(Form->Button(2));
  const QImage saved(Dir.filePath("chart.bmp"));
  EXPECT_EQ(qvariant_cast<QImage>(copied->imageData()).convertToFormat(QImage::Format_RGB32),
            saved.convertToFormat(QImage::Format_RGB32));
  const QByteArray svg = copied->data(QStringLiteral("image/svg+xml"));
  EXPECT_TRUE(svg.startsWith("<?xml"));
  EXPECT_TRUE(svg.contains("viewBox=\"0 0 989 565\""));
  EXPECT_EQ(Form->Edit(3).text(), "function f(x)") << "the box keeps its text";
}

// The desktop's real dialog, answered as a user would: the name typed, OK.
std::optional<QString> Answer(const TFileDialogSpec& dialogToAnswer, const QString& typed,
                              QString* openedIn = nullptr, QStringList* filters = nullptr,
                              const QString& filter = {}) {
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    if (openedIn) *openedIn = dialog->directory().absolutePath();
    if (filters) *filters = dialog->nameFilters();
    if (!filter.isEmpty()) dialog->selectNameFilter(filter);
    dialog->selectFile(typed);
    static_cast<QDialog*>(dialog)->accept();
  });
  TQtDesktop desktop;
  const std::optional<TDialogChoice> choice = desktop.ExecuteFileDialog(nullptr, dialogToAnswer);
  if (!choice) return std::nullopt;
  return choice->FileName;
}

TEST(WindowDialogs, RealDialogsAddExtensionsAndRememberTheirFolder) {
  QTemporaryDir first;
  QTemporaryDir second;
  const TFileDialogSpec save{TFileDialogKind::fdSave, "Bitmap Files|*.bmp", "BMP", "SaveDialog1", kPng};
  const TFileDialogSpec open{TFileDialogKind::fdOpen, "CSV Files|*.csv", "CSV", "OpenDialog1"};
  QStringList filters;
  EXPECT_EQ(Answer(save, first.filePath("chart"), nullptr, &filters), first.filePath("chart.BMP"));
  EXPECT_EQ(filters, QStringList({"Bitmap Files (*.bmp)", "PNG image (*.png)", "All files (*)"}));
  EXPECT_EQ(Answer(save, first.filePath("picture"), nullptr, nullptr, "PNG image (*.png)"),
            first.filePath("picture.png"));
  std::ofstream(second.filePath("noext").toStdString()) << "1;2\r\n";
  EXPECT_EQ(Answer(open, second.filePath("noext")), second.filePath("noext"));

  // Each dialog opens where it last chose, also after a restart (a new
  // desktop reads the settings again).
  QString openedIn;
  Answer(save, first.filePath("again.bmp"), &openedIn);
  EXPECT_EQ(openedIn, first.path());
  Answer(open, second.filePath("noext"), &openedIn);
  EXPECT_EQ(openedIn, second.path());
  const QString settings =
      QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/Curvella/Curvella.conf");
  EXPECT_TRUE(QFileInfo::exists(settings)) << settings.toStdString();
}

TEST_F(WindowDesktop, WithoutAnOpenerTheHelpOpensInItsOwnWindow) {
  Desktop().OpenerFound = false;
  Form->Help2Click();
  THelpWindow* help = Form->HelpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_TRUE(help->isWindow());
  EXPECT_EQ(help->windowTitle(), "Curvella Help");
  EXPECT_EQ(help->source(), Desktop().Urls.at(0));
  // The first link, to a section of the page, followed from the keyboard:
  // the window shows that section of the same page.
  QApplication::setActiveWindow(help);
  help->setFocus();
  QTest::keyClick(help, Qt::Key_Tab);
  QTest::keyClick(help, Qt::Key_Return);
  EXPECT_EQ(help->source().adjusted(QUrl::RemoveFragment), Desktop().Urls.at(0));
  EXPECT_EQ(help->source().fragment(), "overview");
  EXPECT_GT(help->verticalScrollBar()->value(), 0) << "scrolled to the section";
  // Asked again, the same window comes up.
  Form->Help2Click();
  EXPECT_EQ(Form->HelpWindow(), help);
}

TEST_F(WindowDesktop, WithAnOpenerThePageIsLeftToIt) {
  Form->Help2Click();
  EXPECT_EQ(Desktop().Urls.size(), 1u);
  EXPECT_EQ(Form->HelpWindow(), nullptr);
}

struct FitRow {
  const char* Name;
  QRect Area;
  QRect Fitted;
};

class FitTable : public testing::TestWithParam<FitRow> {};

TEST_P(FitTable, WindowIsMovedAndShrunkOnlyAsFarAsItMust) {
  EXPECT_EQ(FitToArea(QRect(126, 112, 812, 612), GetParam().Area), GetParam().Fitted);
}

INSTANTIATE_TEST_SUITE_P(Window, FitTable,
                         testing::Values(FitRow{"Fits", {0, 0, 1280, 1024}, {126, 112, 812, 612}},
                                         FitRow{"HalfOfAScaledScreen", {0, 0, 640, 450}, {0, 0, 640, 450}},
                                         FitRow{"MovedBack", {0, 0, 900, 700}, {88, 88, 812, 612}},
                                         FitRow{"PanelAtTheTop", {0, 30, 1280, 994}, {126, 112, 812, 612}},
                                         FitRow{"NarrowButTall", {0, 0, 700, 1024}, {0, 112, 700, 612}},
                                         FitRow{
                                             "SecondScreen", {1920, 0, 1280, 1024}, {1920, 112, 812, 612}}),
                         test::RowName());

} // namespace
} // namespace curvella

namespace curvella {
namespace {

// Run by CTest at scale factors 1, 1.5 and 2 (QT_SCALE_FACTOR): every device
// pixel of the chart inside its sunken edge, as the window shows it after a
// repaint, is the picture's pixel under that pixel's centre.
TEST_F(WindowDesktop, ChartDevicePixelsAreThePictureScaled) {
  const qreal scale = Form->devicePixelRatioF();
  const auto shown = [&](const char* expression) {
    Form->Edit(3).setText(QString::fromLatin1(expression));
    Click(Form->Button(1));
    Form->Chart1Control().repaint();
    // The window's pixels as they went to the screen: its backing store.
    const auto* store = dynamic_cast<const QImage*>(Form->backingStore()->paintDevice());
    return store ? store->convertToFormat(QImage::Format_RGB32) : QImage();
  };
  shown("x");
  const QImage window = shown("x^2-3*x+2");
  ASSERT_FALSE(window.isNull());
  const QImage& picture = Form->Chart1().WindowImage();
  ASSERT_EQ(picture.size(), QSize(989, 565));
  EXPECT_EQ(window.size(), (QSizeF(Form->size()) * scale).toSize());

  const QPointF origin = QPointF(Form->Chart1Control().mapTo(Form.get(), QPoint(2, 2))) * scale;
  auto* scroller = Form->findChild<QScrollArea*>();
  const QRect visible(scroller->viewport()->mapTo(Form.get(), QPoint(0, 0)), scroller->viewport()->size());
  const QRectF visibleDevice(QPointF(visible.topLeft()) * scale, QSizeF(visible.size()) * scale);
  int compared = 0;
  int wrong = 0;
  for (int y = 0; y < window.height(); ++y) {
    for (int x = 0; x < window.width(); ++x) {
      const QPointF centre(x + 0.5, y + 0.5);
      if (!visibleDevice.contains(centre)) continue;
      const int px = static_cast<int>(std::floor((centre.x() - origin.x()) / scale));
      const int py = static_cast<int>(std::floor((centre.y() - origin.y()) / scale));
      if (centre.x() < origin.x() || centre.y() < origin.y() || px >= picture.width() ||
          py >= picture.height())
        continue;
      ++compared;
      if (window.pixel(x, y) != picture.pixel(px, py) && ++wrong <= 5)
        ADD_FAILURE() << "device pixel (" << x << ", " << y << ") is not picture pixel (" << px << ", " << py
                      << ") at scale " << scale;
    }
  }
  EXPECT_GT(compared, 100000);
  EXPECT_EQ(wrong, 0);
}

} // namespace
} // namespace curvella
