#include "app/MainWindow.h"

#include <algorithm>

#include <QClipboard>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QTimer>
#include <QWindow>

#include "app/Application.h"
#include "app/ChartWidget.h"
#include "app/Desktop.h"
#include "app/HelpPage.h"
#include "app/HelpWindow.h"
#include "app/PointFile.h"
#include "app/UserLocale.h"
#include "app/WindowChart.h"
#include "platform/Fonts.h"

namespace curvella {

namespace {

// The pictures' dialogs also offer the format of today's tools, after their
// own.
constexpr TExtraFilter kPngFilter[] = {{"PNG image|*.png", "png"}};
constexpr TExtraFilter kSvgFilter[] = {{"SVG image|*.svg", "svg"}};
constexpr TFileDialogSpec kSaveDialog1{TFileDialogKind::fdSave, "Bitmap Files|*.bmp", "BMP", "SaveDialog1",
                                       kPngFilter};
constexpr TFileDialogSpec kSaveDialog2{TFileDialogKind::fdSave, "CSV Files|*.csv", "CSV", "SaveDialog2"};
constexpr TFileDialogSpec kSaveDialog3{TFileDialogKind::fdSave, "MetaFile EMF|*.emf", "EMF", "SaveDialog3",
                                       kSvgFilter};
constexpr TFileDialogSpec kOpenDialog1{TFileDialogKind::fdOpen, "CSV Files|*.csv", "CSV", "OpenDialog1"};

struct TControlPlace {
  int Left, Top, Width, Height;
};

struct TButtonLayout {
  TControlPlace Place;
  const char* Caption;
};

constexpr TControlPlace kChart1Place{8, 16, 993, 569};
// Button1 to Button6.
constexpr TButtonLayout kButtons[] = {
    {{232, 625, 120, 25}, "Run"},         {{232, 650, 120, 25}, "Save as BMP"},
    {{352, 675, 120, 25}, "Exit"},        {{352, 625, 120, 25}, "Export to CSV Database"},
    {{352, 650, 120, 25}, "Save As EMF"}, {{232, 675, 120, 25}, "Import CSV Databse"}};
// Edit1 to Edit4.
constexpr TButtonLayout kEdits[] = {{{100, 600, 120, 21}, "0"},
                                    {{100, 625, 120, 21}, "2"},
                                    {{232, 600, 449, 21}, "function f(x)"},
                                    {{100, 650, 120, 21}, "100"}};
// Label1 to Label3.
constexpr TButtonLayout kLabels[] = {{{56, 650, 27, 13}, "Steps"},
                                     {{15, 600, 76, 13}, "Initial Value of X"},
                                     {{15, 625, 72, 13}, "Last Value of X"}};

void Place(QWidget& widget, const TControlPlace& place) {
  widget.setGeometry(place.Left, place.Top, place.Width, place.Height);
}

// A box's text as the system's single-byte text.
std::string TextOf(const QLineEdit& edit) { return ToWindows1252(edit.text()); }

// Whether a picture dialog's choice takes the extra format: a name with its
// extension, in any case, whatever filter is selected; any other name when
// its filter is selected.
bool ChoosesFormat(const TFileDialogSpec& dialog, const TDialogChoice& choice, const TExtraFilter& format) {
  const QString extension = QStringLiteral(".") + QString::fromLatin1(format.Extension);
  if (choice.FileName.endsWith(extension, Qt::CaseInsensitive)) return true;
  return ExtraFilterOf(dialog, choice.Filter) == &format;
}

// A chosen file name as the file layer takes it.
std::string LocalPath(const QString& fileName) { return QFile::encodeName(fileName).toStdString(); }

} // namespace

TForm1::TForm1(TDesktop& desktop, QWidget* parent)
    : QMainWindow(parent), m_desktop(desktop), m_runRecord(std::make_unique<TRunRecord>()) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Curvella v.1.1"));
  setFont(ResolveFont({.Name = kDefaultGuiFontName, .Height = kDefaultGuiFontHeight}));
  CreateControls();
  move(kFormLeft, kFormTop);
  resize(kFormWidth, kFormHeight);
}

TForm1::~TForm1() = default;

TChart& TForm1::Chart1() { return m_chart1->Chart(); }

void TForm1::CreateControls() {
  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("Help1"));
  QAction* onlineHelp = help->addAction(QStringLiteral("Online Help"));
  onlineHelp->setObjectName(QStringLiteral("Help2"));
  connect(onlineHelp, &QAction::triggered, this, [this] { RunEventHandler([this] { Help2Click(); }); });

  // Ctrl+Shift+C copies the chart; Ctrl+C stays the boxes' copy of text.
  auto* copyChart = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), this);
  connect(copyChart, &QShortcut::activated, this, [this] { RunEventHandler([this] { CopyChart(); }); });

  m_scroller = new QScrollArea(this);
  m_scroller->setFrameShape(QFrame::NoFrame);
  // The scrolling area shows no focus mark: Tab passes over it.
  m_scroller->setFocusPolicy(Qt::NoFocus);
  m_contents = new QWidget;
  m_contents->setFixedSize(kContentsWidth, kContentsHeight);
  m_scroller->setWidget(m_contents);
  setCentralWidget(m_scroller);

  m_chart1 = new TChartWidget(m_contents);
  m_chart1->setObjectName(QStringLiteral("Chart1"));
  m_series1 = &ApplyWindowChartSettings(m_chart1->Chart());
  Place(*m_chart1, kChart1Place);

  for (std::size_t i = 0; i < m_edits.size(); ++i) {
    m_edits[i] = new QLineEdit(QString::fromLatin1(kEdits[i].Caption), m_contents);
    m_edits[i]->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
    Place(*m_edits[i], kEdits[i].Place);
  }
  for (std::size_t i = 0; i < m_labels.size(); ++i) {
    m_labels[i] = new QLabel(QString::fromLatin1(kLabels[i].Caption), m_contents);
    m_labels[i]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    m_labels[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Labels size themselves to their text, keeping their place.
    TControlPlace place = kLabels[i].Place;
    place.Width = std::max(place.Width, m_labels[i]->fontMetrics().horizontalAdvance(m_labels[i]->text()));
    Place(*m_labels[i], place);
  }
  const std::array<void (TForm1::*)(), 6> handlers = {&TForm1::Button1Click, &TForm1::Button2Click,
                                                      &TForm1::Button3Click, &TForm1::Button4Click,
                                                      &TForm1::Button5Click, &TForm1::Button6Click};
  for (std::size_t i = 0; i < m_buttons.size(); ++i) {
    m_buttons[i] = new QPushButton(QString::fromLatin1(kButtons[i].Caption), m_contents);
    // Enter presses the focused button, as Space does.
    m_buttons[i]->setAutoDefault(true);
    m_buttons[i]->setObjectName(QStringLiteral("Button%1").arg(i + 1));
    Place(*m_buttons[i], kButtons[i].Place);
    const auto handler = handlers[i];
    connect(m_buttons[i], &QPushButton::clicked, this,
            [this, handler] { RunEventHandler([this, handler] { (this->*handler)(); }); });
  }

  // The stored tab order: Run, the first and last x, the expression, the
  // steps, then Save as BMP, Exit, Export, Save As EMF, Import.
  const QWidget* order[] = {m_buttons[0], m_edits[0],   m_edits[1],   m_edits[2],   m_edits[3],
                            m_buttons[1], m_buttons[2], m_buttons[3], m_buttons[4], m_buttons[5]};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
  }
  m_buttons[0]->setFocus();
}

QRect FitToArea(const QRect& frame, const QRect& area) {
  const int width = std::min(frame.width(), area.width());
  const int height = std::min(frame.height(), area.height());
  const int left = std::clamp(frame.left(), area.left(), area.left() + area.width() - width);
  const int top = std::clamp(frame.top(), area.top(), area.top() + area.height() - height);
  return {left, top, width, height};
}

bool TForm1::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  // The window manager reports its frame after the window is shown; the
  // frame's size is known once its margins are.
  const QEvent::Type type = event->type();
  if (!m_frameFitted && isVisible() &&
      (type == QEvent::Move || type == QEvent::Resize || type == QEvent::WindowActivate ||
       type == QEvent::Expose)) {
    FitFrame();
  }
  return handled;
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!m_frameFitted) {
    FitToScreen();
    QTimer::singleShot(0, this, [this] { FitFrame(); });
  }
}

void TForm1::FitFrame() {
  if (m_frameFitted || !windowHandle()) return;
  const QMargins frame = windowHandle()->frameMargins();
  // While the manager reparents the window and before it has published its
  // frame's extents, Qt measures the frame from the half-made parent: the
  // window still at its corner (no left or top margin) and anything, even
  // negative, to the right and below. Real frames offset the window.
  const bool real = frame.left() >= 0 && frame.top() >= 0 && frame.right() >= 0 && frame.bottom() >= 0 &&
                    (frame.left() > 0 || frame.top() > 0) && frame.left() + frame.right() < kFormWidth / 2 &&
                    frame.top() + frame.bottom() < kFormHeight / 2;
  if (frame.isNull() || !real) return;
  m_frameFitted = true;
  resize(kFormWidth - frame.left() - frame.right(), kFormHeight - frame.top() - frame.bottom());
  FitToScreen();
}

void TForm1::FitToScreen() {
  const QScreen* display = screen();
  if (!display) return;
  // The client area's place is exact; the frame's is known only through its
  // margins, and as nothing before the window manager reports them.
  const QMargins margins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  const QRect frame = geometry().marginsAdded(margins);
  const QRect fitted = FitToArea(frame, display->availableGeometry());
  if (fitted != frame) setGeometry(fitted.marginsRemoved(margins));
}

void TForm1::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LocaleChange) {
    // The regional settings changed: labels print with the new separators.
    ApplyUserLocale();
    Chart1().Invalidate();
  }
  QMainWindow::changeEvent(event);
}

void TForm1::Button1Click() {
  const TCommandWork work;
  m_buttons[3]->setEnabled(true);
  m_series1->ClearPoints();
  const TRunTexts texts{.Expression = TextOf(*m_edits[2]),
                        .FirstX = TextOf(*m_edits[0]),
                        .LastX = TextOf(*m_edits[1]),
                        .Steps = TextOf(*m_edits[3])};
  RunSampling(texts, *m_runRecord, [this](double x, double y) { m_series1->AddPoint(x, y); });
}

void TForm1::Button2Click() {
  const std::optional<TDialogChoice> choice = m_desktop.ExecuteFileDialog(this, kSaveDialog1);
  if (!choice) return;
  const TCommandWork work;
  if (ChoosesFormat(kSaveDialog1, *choice, kPngFilter[0]))
    Chart1().WritePngFile(LocalPath(choice->FileName));
  else
    Chart1().WriteBitmapFile(LocalPath(choice->FileName));
}

void TForm1::Button3Click() { close(); }

void TForm1::Button4Click() {
  const std::optional<TDialogChoice> choice = m_desktop.ExecuteFileDialog(this, kSaveDialog2);
  if (!choice) return;
  const TCommandWork work;
  ExportPointFile(LocalPath(choice->FileName), *m_runRecord);
}

void TForm1::Button5Click() {
  const std::optional<TDialogChoice> choice = m_desktop.ExecuteFileDialog(this, kSaveDialog3);
  if (!choice) return;
  const TCommandWork work;
  if (ChoosesFormat(kSaveDialog3, *choice, kSvgFilter[0]))
    Chart1().WriteSvgFile(LocalPath(choice->FileName));
  else
    Chart1().WriteMetafileFile(LocalPath(choice->FileName));
}

void TForm1::Button6Click() {
  const std::optional<TDialogChoice> choice = m_desktop.ExecuteFileDialog(this, kOpenDialog1);
  if (choice) ImportPointFile(choice->FileName);
}

void TForm1::ImportPointFile(const QString& fileName) {
  const TCommandWork work;
  // The file is opened and its first line read first: a file that cannot be
  // read leaves the chart, the boxes and Export as they were.
  TPointFileImport pointFile(LocalPath(fileName));
  m_buttons[3]->setEnabled(false);
  m_series1->ClearPoints();
  m_edits[2]->setText(QStringLiteral("Import of CSV File:") + fileName);
  pointFile.ReadPoints([this](double x, double y) { m_series1->AddPoint(x, y); });
}

void TForm1::ImportPointFileArgument(const QString& argument) {
  ImportPointFile(QFileInfo(argument).absoluteFilePath());
}

void TForm1::CopyChart() {
  const TCommandWork work;
  auto data = std::make_unique<QMimeData>();
  const std::unique_ptr<TBitmap> bitmap = Chart1().MakeChartBitmap(clWhite, Chart1().ClientDrawRect());
  data->setImageData(bitmap->Image());
  data->setData(QStringLiteral("image/svg+xml"), QByteArray::fromStdString(Chart1().ChartSvg()));
  QGuiApplication::clipboard()->setMimeData(data.release());
}

void TForm1::Help2Click() {
  const QUrl page = HelpPageUrl(QCoreApplication::applicationDirPath());
  if (m_desktop.OpenUrl(page)) return;
  if (!m_helpWindow) m_helpWindow = new THelpWindow(this);
  m_helpWindow->ShowPage(page);
}

} // namespace curvella
