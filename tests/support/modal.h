// Acting on the modal window the code under test opens, from inside its event loop.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

#include <gtest/gtest.h>

namespace vexilo::test {

// Runs `act` on the modal window as soon as it is open. A watchdog fails the test and closes a
// modal window left open, so a fault never hangs the suite.
class WhenModal {
 public:
  explicit WhenModal(std::function<void(QWidget&)> act) {
    QTimer::singleShot(0, &timers_, [this, act = std::move(act)] {
      ran_ = QApplication::activeModalWidget() != nullptr;
      if (ran_) act(*QApplication::activeModalWidget());
    });
    QTimer::singleShot(5000, &timers_, [] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        ADD_FAILURE() << "a modal window stayed open";
        box->close();
      }
    });
  }
  ~WhenModal() { EXPECT_TRUE(ran_) << "no modal window was open"; }

 private:
  QObject timers_;  // the timers end with it
  bool ran_ = false;
};

}  // namespace vexilo::test
