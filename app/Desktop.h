#pragma once

// What the window asks of the desktop beyond its own widgets: the file
// dialogs, the error box and the browser. The window reaches them only
// through TDesktop, so that tests can answer the dialogs and read the boxes.
//
// File dialogs are described as the window stores them: a filter of
// "description|pattern" pairs and a default extension. A dialog may offer
// further picture formats after its stored filter, which stays first and
// chosen, and every dialog offers every file last:
//
//   DialogNameFilters(SaveDialog1) -> {"Bitmap Files (*.bmp)", "PNG image (*.png)", "All files (*)"}
//   DialogNameFilters(OpenDialog1) -> {"CSV Files (*.csv)", "All files (*)"}
//
// Saving never asks before replacing a file and adds the chosen filter's
// extension (the default extension for the stored filter and for all files)
// to a name without one. Opening takes the name as typed when that file
// exists, and otherwise adds the default extension to a name without one; a
// name that still does not exist is accepted (the command reports it):
//
//   save "/d/chart"             -> "/d/chart.BMP"   save "/d/chart.png" -> "/d/chart.png"
//   save "/d/chart", PNG chosen -> "/d/chart.png"
//   open "/d/noext" exists      -> "/d/noext"       open "/d/points"    -> "/d/points.CSV"
//
// The real desktop's dialogs open in the folder each dialog last chose a
// file in, remembered between runs under the dialog's name in the user's
// settings (QSettings "Curvella"/"Curvella": $XDG_CONFIG_HOME/Curvella/).

#include <functional>
#include <optional>
#include <span>
#include <utility>

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

namespace curvella {

enum class TFileDialogKind { fdSave, fdOpen };

// A format a save dialog offers beyond its stored filter.
struct TExtraFilter {
  const char* Filter = "";    // "description|pattern"
  const char* Extension = ""; // without its dot, as "png"
};

struct TFileDialogSpec {
  TFileDialogKind Kind = TFileDialogKind::fdSave;
  const char* Filter = "";     // "description|pattern", pairs joined by "|"
  const char* DefaultExt = ""; // without its dot, as "BMP"
  const char* Name = "";       // the dialog's name, as "SaveDialog1": its settings key
  std::span<const TExtraFilter> Extra;
};

// What the user chose: the file's full name and the filter selected, an
// index into DialogNameFilters (0: the stored filter).
struct TDialogChoice {
  TDialogChoice(QString fileName, int filter = 0) : FileName(std::move(fileName)), Filter(filter) {}
  QString FileName;
  int Filter = 0;
};

QStringList QtNameFilters(const char* filter);
QStringList DialogNameFilters(const TFileDialogSpec& dialog);
// The extra format a filter index chose, or none.
const TExtraFilter* ExtraFilterOf(const TFileDialogSpec& dialog, int filter);

// The file a dialog returns for the name the user typed (a full path) with
// a filter selected; exists tells whether a file of that name is there.
QString DialogFileName(const TFileDialogSpec& dialog, const QString& typed, int filter,
                       const std::function<bool(const QString&)>& exists);

class TDesktop {
public:
  virtual ~TDesktop() = default;
  // The chosen file and filter, or nothing when the user cancelled.
  virtual std::optional<TDialogChoice> ExecuteFileDialog(QWidget* parent, const TFileDialogSpec& dialog) = 0;
  // A modal box with the text, the caption, an OK button and the stop icon.
  virtual void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text) = 0;
  // Hands an address to the desktop's opener; false when nothing could be
  // started for it.
  virtual bool OpenUrl(const QUrl& url) = 0;
};

// The desktop of a real session.
class TQtDesktop : public TDesktop {
public:
  std::optional<TDialogChoice> ExecuteFileDialog(QWidget* parent, const TFileDialogSpec& dialog) override;
  void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text) override;
  bool OpenUrl(const QUrl& url) override;
};

} // namespace curvella
