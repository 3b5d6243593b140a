#pragma once

// Where the window finds its help page: beside the program in help/ (the
// build tree), or in share/curvella/help/ of the installation prefix. The
// first that exists is the page; when neither does, the address of the
// first is handed to the browser all the same.

#include <QString>
#include <QUrl>

namespace curvella {

inline constexpr const char* kHelpPageName = "curvella-help.html";

// The help page's address for a program in programDirectory.
QUrl HelpPageUrl(const QString& programDirectory);

} // namespace curvella
