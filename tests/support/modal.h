// Acting on the modal window the code under test opens, from inside its event loop.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

#include <gtest/gtest.h>

namespace vexilo::test {

// Runs `act` on the modal window as soon as it is open. A watchdog fails the test and closes a
// modal window left open, so a fault never hangs the suite. The timers end with the object.
struct WhenModal : QObject {
  explicit WhenModal(std::function<void(QWidget&)> act) {
    QTimer::singleShot(0, this, [this, act] {
      if ((ran = QApplication::activeModalWidget())) act(*QApplication::activeModalWidget());
    });
    QTimer::singleShot(5000, this, [] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        ADD_FAILURE() << "a modal window stayed open";
        box->close();
      }
    });
  }
  ~WhenModal() override { EXPECT_TRUE(ran) << "no modal window was open"; }
  bool ran = false;
};

}  // namespace vexilo::test
