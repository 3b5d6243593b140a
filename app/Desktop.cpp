#include "app/Desktop.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace curvella {

QStringList QtNameFilters(const char* filter) {
  const QStringList parts = QString::fromLatin1(filter).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    filters.append(parts[i] + QStringLiteral(" (") + parts[i + 1] + u')');
  }
  return filters;
}

std::optional<QString> TQtDesktop::ExecuteFileDialog(QWidget* parent, const TFileDialogSpec& dialog) {
  QFileDialog box(parent);
  const bool save = dialog.Kind == TFileDialogKind::fdSave;
  box.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // Any name is accepted; opening a missing file is the command's error.
  box.setFileMode(QFileDialog::AnyFile);
  box.setOption(QFileDialog::DontConfirmOverwrite);
  // Desktop dialogs may ask before replacing a file or insist that an opened
  // one exists; the window's own does neither.
  box.setOption(QFileDialog::DontUseNativeDialog);
  box.setNameFilters(QtNameFilters(dialog.Filter));
  box.setDefaultSuffix(QString::fromLatin1(dialog.DefaultExt));
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return std::nullopt;
  return box.selectedFiles().constFirst();
}

void TQtDesktop::ShowErrorBox(QWidget* parent, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void TQtDesktop::OpenUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

} // namespace curvella
