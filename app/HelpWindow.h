#pragma once

// The help page in a window of Curvella's own, for a desktop that has
// nothing to open the page with. A text browser shows the page; links within
// it (to its sections) move inside the window, links to other addresses go
// to the desktop. The window's title is the page's title ("Curvella Help").

#include <QTextBrowser>
#include <QUrl>

namespace curvella {

class THelpWindow : public QTextBrowser {
public:
  explicit THelpWindow(QWidget* parent = nullptr);

  // Shows the page at the address, raised above the other windows.
  void ShowPage(const QUrl& page);
};

} // namespace curvella
