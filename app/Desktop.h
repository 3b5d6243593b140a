#pragma once

// What the window asks of the desktop beyond its own widgets: the file
// dialogs, the error box and the browser. The window reaches them only
// through TDesktop, so that tests can answer the dialogs and read the boxes.
//
// File dialogs are described as the window stores them: a filter of
// "description|pattern" pairs and a default extension added to a name
// typed without one. Saving never asks before replacing a file, and opening
// accepts a name that does not exist (the command reports it):
//
//   QtNameFilters("Bitmap Files|*.bmp")        -> {"Bitmap Files (*.bmp)"}
//   QtNameFilters("CSV Files|*.csv|All|*.*")   -> {"CSV Files (*.csv)", "All (*.*)"}

#include <optional>

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

namespace curvella {

enum class TFileDialogKind { fdSave, fdOpen };

struct TFileDialogSpec {
  TFileDialogKind Kind = TFileDialogKind::fdSave;
  const char* Filter = "";     // "description|pattern", pairs joined by "|"
  const char* DefaultExt = ""; // without its dot, as "BMP"
};

QStringList QtNameFilters(const char* filter);

class TDesktop {
public:
  virtual ~TDesktop() = default;
  // The full name of the chosen file, or nothing when the user cancelled.
  virtual std::optional<QString> ExecuteFileDialog(QWidget* parent, const TFileDialogSpec& dialog) = 0;
  // A modal box with the text, the caption, an OK button and the stop icon.
  virtual void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text) = 0;
  // Opens an address in the desktop's browser; the outcome is not looked at.
  virtual void OpenUrl(const QUrl& url) = 0;
};

// The desktop of a real session.
class TQtDesktop : public TDesktop {
public:
  std::optional<QString> ExecuteFileDialog(QWidget* parent, const TFileDialogSpec& dialog) override;
  void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text) override;
  void OpenUrl(const QUrl& url) override;
};

} // namespace curvella
