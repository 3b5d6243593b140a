#include "app/Desktop.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>

namespace curvella {

namespace {

constexpr const char* kAllFilesFilter = "All files (*)";

QSettings UserSettings() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Curvella"),
                   QStringLiteral("Curvella"));
}

QString FolderKey(const TFileDialogSpec& dialog) {
  return QStringLiteral("FileDialogs/") + QString::fromLatin1(dialog.Name) + QStringLiteral("/Folder");
}

bool HasExtension(const QString& path) { return QFileInfo(path).fileName().contains(u'.'); }

} // namespace

QStringList QtNameFilters(const char* filter) {
  const QStringList parts = QString::fromLatin1(filter).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    filters.append(parts[i] + QStringLiteral(" (") + parts[i + 1] + u')');
  }
  return filters;
}

QStringList DialogNameFilters(const char* filter) {
  return QtNameFilters(filter) << QString::fromLatin1(kAllFilesFilter);
}

QString DialogFileName(const TFileDialogSpec& dialog, const QString& typed,
                       const std::function<bool(const QString&)>& exists) {
  if (dialog.Kind == TFileDialogKind::fdOpen && exists(typed)) return typed;
  if (HasExtension(typed) || *dialog.DefaultExt == '\0') return typed;
  return typed + u'.' + QString::fromLatin1(dialog.DefaultExt);
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
  box.setNameFilters(DialogNameFilters(dialog.Filter));
  const QString folder = UserSettings().value(FolderKey(dialog)).toString();
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) box.setDirectory(folder);
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return std::nullopt;
  const QString chosen = DialogFileName(dialog, box.selectedFiles().constFirst(), [](const QString& path) {
    const QFileInfo file(path);
    return file.exists() && !file.isDir();
  });
  QSettings settings = UserSettings();
  settings.setValue(FolderKey(dialog), QFileInfo(chosen).absolutePath());
  return chosen;
}

void TQtDesktop::ShowErrorBox(QWidget* parent, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

bool TQtDesktop::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

} // namespace curvella
