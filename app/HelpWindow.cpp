#include "app/HelpWindow.h"

namespace curvella {

namespace {

constexpr int kHelpWidth = 720;
constexpr int kHelpHeight = 640;

} // namespace

THelpWindow::THelpWindow(QWidget* parent) : QTextBrowser(parent) {
  setWindowFlag(Qt::Window);
  setObjectName(QStringLiteral("HelpWindow"));
  setOpenExternalLinks(true);
  resize(kHelpWidth, kHelpHeight);
  connect(this, &QTextBrowser::sourceChanged, this, [this] { setWindowTitle(documentTitle()); });
}

void THelpWindow::ShowPage(const QUrl& page) {
  if (source() != page) setSource(page);
  show();
  raise();
  activateWindow();
}

} // namespace curvella
