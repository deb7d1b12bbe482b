// Scripted stand-ins for the person at the screen and for the help viewer: every call is
// recorded, answers come from a queue (No and Cancel when it is empty).
#pragma once

#include <deque>
#include <vector>

#include "core/interaction.h"

namespace vexilo::test {

class FakePrompter : public core::Prompter {
 public:
  std::vector<std::string> infos, questions;
  std::vector<core::MessageKind> kinds;  // of the infos
  std::vector<core::FileDialogRequest> openDialogs, saveDialogs;
  std::deque<bool> answers;
  std::deque<std::optional<std::string>> paths;

  void showInfo(const std::string& text, core::MessageKind kind = core::MessageKind::Information) override {
    infos.push_back(text), kinds.push_back(kind);
  }
  bool askYesNo(const std::string& text) override { return questions.push_back(text), pop(answers, false); }
  std::optional<std::string> askOpenPath(const core::FileDialogRequest& request) override {
    return openDialogs.push_back(request), pop(paths, {});
  }
  std::optional<std::string> askSavePath(const core::FileDialogRequest& request) override {
    return saveDialogs.push_back(request), pop(paths, {});
  }

 private:
  template <class T>
  static T pop(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    T value = queue.front();
    queue.pop_front();
    return value;
  }
};

class RecordingHelp : public core::HelpViewer {
 public:
  struct Call {
    std::string kind, path;  // kind "context", "index" or "search"
    int context = 0;
    std::string query;
  };
  std::vector<Call> calls;
  void showContext(const std::string& path, int context) override { calls.push_back({"context", path, context, {}}); }
  void showIndex(const std::string& path) override { calls.push_back({"index", path, 0, {}}); }
  void showSearch(const std::string& path, const std::string& query) override { calls.push_back({"search", path, 0, query}); }
};

}  // namespace vexilo::test
