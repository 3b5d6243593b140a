#include "app/HelpPage.h"

#include <QDir>
#include <QFileInfo>

namespace curvella {

QUrl HelpPageUrl(const QString& programDirectory) {
  const QDir program(programDirectory);
  const QString name = QString::fromLatin1(kHelpPageName);
  const QString candidates[] = {program.filePath(QStringLiteral("help/") + name),
                                program.filePath(QStringLiteral("../share/curvella/help/") + name)};
  for (const QString& candidate : candidates) {
    if (QFileInfo::exists(candidate)) return QUrl::fromLocalFile(QFileInfo(candidate).canonicalFilePath());
  }
  return QUrl::fromLocalFile(QDir::cleanPath(candidates[0]));
}

} // namespace curvella
