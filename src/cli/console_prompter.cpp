#include "cli/console_prompter.h"

#include <utility>

#include "core/string_table.h"

namespace vexilo::cli {

namespace {

// A message box text on one line: its line feeds become spaces.
std::string oneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

// A button caption without its accelerator mark ("&&" is a real "&").
std::string caption(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') out += text[i];
    else if (i + 1 < text.size() && text[i + 1] == '&') out += text[++i];
  }
  return out;
}

}  // namespace

ConsolePrompter::ConsolePrompter(std::ostream& err, int langOffset, bool allowReplace)
    : err_(err), langOffset_(langOffset), allowReplace_(allowReplace) {}

ConsolePrompter::Record ConsolePrompter::take() { return std::exchange(record_, Record{}); }

void ConsolePrompter::note(const std::string& text) { err_ << "vexilo-convert: " << text << '\n'; }

void ConsolePrompter::showInfo(const std::string& text, core::MessageKind) {
  ++record_.messages;
  note(oneLine(text));
}

bool ConsolePrompter::askYesNo(const std::string& text) {
  if (allowReplace_) return true;
  ++record_.refusals;
  note(oneLine(text) + " " + caption(core::loadLocalString(1044, langOffset_)));
  return false;
}

std::optional<std::string> ConsolePrompter::askOpenPath(const core::FileDialogRequest&) {
  return std::nullopt;
}

std::optional<std::string> ConsolePrompter::askSavePath(const core::FileDialogRequest&) {
  if (savePath_.empty()) return std::nullopt;
  ++record_.savePaths;
  return savePath_;
}

}  // namespace vexilo::cli
