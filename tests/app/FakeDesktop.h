#pragma once

// A desktop for the window tests: file dialogs answer from a queue (nothing
// queued: the user cancels), error boxes and opened addresses are recorded.

#include <deque>
#include <vector>

#include <QGuiApplication>

#include "app/Desktop.h"

namespace curvella::test {

struct TShownBox {
  QString Caption;
  QString Text;
  bool Busy = false; // whether the busy cursor was up when the box opened
};

class TFakeDesktop : public TDesktop {
public:
  std::optional<TDialogChoice> ExecuteFileDialog(QWidget*, const TFileDialogSpec& dialog) override {
    Dialogs.push_back(dialog);
    if (Answers.empty()) return std::nullopt;
    const TDialogChoice answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  void ShowErrorBox(QWidget*, const QString& caption, const QString& text) override {
    Boxes.push_back({caption, text, QGuiApplication::overrideCursor() != nullptr});
  }
  bool OpenUrl(const QUrl& url) override {
    Urls.push_back(url);
    return OpenerFound;
  }

  void Reset() { *this = TFakeDesktop(); }

  std::deque<TDialogChoice> Answers;
  std::vector<TFileDialogSpec> Dialogs;
  std::vector<TShownBox> Boxes;
  std::vector<QUrl> Urls;
  // Whether the desktop has something to open an address with.
  bool OpenerFound = true;
};

// The desktop of the test program's application.
TFakeDesktop& Desktop();

// Stamps the simulated mouse events QTest sends next with the time of a
// clock that runs, as a window system's does.
void FollowTheClock();

} // namespace curvella::test
