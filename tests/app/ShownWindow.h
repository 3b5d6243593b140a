#pragma once

// The fixture of the window's suites: a fresh window on the fake desktop,
// shown and exposed, as the program shows it at start.

#include <gtest/gtest.h>

#include <memory>

#include <QTest>

#include "FakeDesktop.h"
#include "app/MainWindow.h"

namespace curvella::test {

class ShownWindow : public testing::Test {
protected:
  void SetUp() override {
    Desktop().Reset();
    Form = std::make_unique<TForm1>(Desktop());
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
  }

  std::unique_ptr<TForm1> Form;
};

} // namespace curvella::test
