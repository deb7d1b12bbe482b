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
  explicit WhenModal(std::function<void(QWidget&)> act) : act_(std::move(act)) {
    QObject::connect(&step_, &QTimer::timeout, [this] {
      ran_ = true;
      if (QWidget* box = QApplication::activeModalWidget()) {
        act_(*box);
      } else {
        ADD_FAILURE() << "no modal window is open";
      }
    });
    step_.setSingleShot(true);
    step_.start(0);
    QObject::connect(&watchdog_, &QTimer::timeout, [] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        ADD_FAILURE() << "a modal window stayed open";
        box->close();
      }
    });
    watchdog_.start(5000);
  }
  ~WhenModal() {
    if (!ran_) ADD_FAILURE() << "no modal window was shown";
  }
  WhenModal(const WhenModal&) = delete;
  WhenModal& operator=(const WhenModal&) = delete;

 private:
  std::function<void(QWidget&)> act_;
  QTimer step_;
  QTimer watchdog_;
  bool ran_ = false;
};

}  // namespace vexilo::test
