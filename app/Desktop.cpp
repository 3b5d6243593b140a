#include "app/Desktop.h"

#include <algorithm>

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

QStringList DialogNameFilters(const TFileDialogSpec& dialog) {
  QStringList filters = QtNameFilters(dialog.Filter);
  for (const TExtraFilter& extra : dialog.Extra) filters << QtNameFilters(extra.Filter);
  return filters << QString::fromLatin1(kAllFilesFilter);
}

const TExtraFilter* ExtraFilterOf(const TFileDialogSpec& dialog, int filter) {
  const int first = static_cast<int>(QtNameFilters(dialog.Filter).size());
  const int index = filter - first;
  return index >= 0 && index < static_cast<int>(dialog.Extra.size())
             ? &dialog.Extra[static_cast<std::size_t>(index)]
             : nullptr;
}

QString DialogFileName(const TFileDialogSpec& dialog, const QString& typed, int filter,
                       const std::function<bool(const QString&)>& exists) {
  if (dialog.Kind == TFileDialogKind::fdOpen && exists(typed)) return typed;
  if (HasExtension(typed)) return typed;
  const TExtraFilter* extra =
      dialog.Kind == TFileDialogKind::fdSave ? ExtraFilterOf(dialog, filter) : nullptr;
  const char* extension = extra ? extra->Extension : dialog.DefaultExt;
  if (*extension == '\0') return typed;
  return typed + u'.' + QString::fromLatin1(extension);
}

std::optional<TDialogChoice> TQtDesktop::ExecuteFileDialog(QWidget* parent, const TFileDialogSpec& dialog) {
  QFileDialog box(parent);
  const bool save = dialog.Kind == TFileDialogKind::fdSave;
  box.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // Any name is accepted; opening a missing file is the command's error.
  box.setFileMode(QFileDialog::AnyFile);
  box.setOption(QFileDialog::DontConfirmOverwrite);
  // Desktop dialogs may ask before replacing a file or insist that an opened
  // one exists; the window's own does neither.
  box.setOption(QFileDialog::DontUseNativeDialog);
  const QStringList filters = DialogNameFilters(dialog);
  box.setNameFilters(filters);
  const QString folder = UserSettings().value(FolderKey(dialog)).toString();
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) box.setDirectory(folder);
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return std::nullopt;
  const int filter = static_cast<int>(std::max<qsizetype>(0, filters.indexOf(box.selectedNameFilter())));
  const QString chosen =
      DialogFileName(dialog, box.selectedFiles().constFirst(), filter, [](const QString& path) {
        const QFileInfo file(path);
        return file.exists() && !file.isDir();
      });
  QSettings settings = UserSettings();
  settings.setValue(FolderKey(dialog), QFileInfo(chosen).absolutePath());
  return TDialogChoice(chosen, filter);
}

void TQtDesktop::ShowErrorBox(QWidget* parent, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

bool TQtDesktop::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

} // namespace curvella
