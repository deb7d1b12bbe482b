#include "ui/qt_prompter.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include <utility>

#include "ui/message_box.h"

namespace vexilo::ui {
namespace {

bool isIconset(const QString& path) {
  return path.endsWith(QLatin1String(".iconset"), Qt::CaseInsensitive) && QFileInfo(path).isDir();
}

// The file dialog, which also takes a macOS icon set folder named in its box (Open or Return
// would otherwise go into it).
class FileDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;
  void choose(const QString& iconset) {
    folder = QDir::cleanPath(iconset).toStdString();
    QDialog::accept();
  }
  void accept() override {
    const QStringList files = selectedFiles();
    if (acceptMode() == AcceptOpen && files.size() == 1 && isIconset(files.front()))
      choose(files.front());
    else
      QFileDialog::accept();
  }
  std::optional<std::string> folder;
};

std::optional<std::string> runFileDialog(QWidget* owner, const core::FileDialogRequest& request,
                                         bool save) {
  FileDialog dialog(owner, QString::fromStdString(request.title));
  // The widget-based dialog behaves the same on every platform.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the commands ask themselves
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  const QString filter = toQtFilter(request.filter);
  if (!filter.isEmpty()) dialog.setNameFilter(filter);
  if (!request.defaultExtension.empty()) {
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
  }
  if (!request.initialDirectory.empty()) {
    dialog.setDirectory(QString::fromStdString(request.initialDirectory));
  }
  // A pattern such as "*.ico" only echoes the filter; it names no file.
  if (!request.initialName.empty() && request.initialName.find_first_of("*?") == std::string::npos) {
    dialog.selectFile(QString::fromStdString(request.initialName));
  }
  // A macOS icon set is a folder read as one file: going into it by a double click chooses it.
  if (!save) {
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, [&dialog](const QString& entered) {
      if (isIconset(entered)) dialog.choose(entered);
    });
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  if (dialog.folder) return dialog.folder;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
  return files.front().toStdString();
}

}  // namespace

QString toQtFilter(std::string_view filter) {
  const QStringList parts =
      QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split(u'|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
      const QString trimmed = pattern.trimmed();
      if (trimmed.isEmpty()) continue;
      patterns << (trimmed == u"*.*" ? QStringLiteral("*") : trimmed);
    }
    if (patterns.isEmpty()) continue;
    const QString list = QLatin1Char('(') + patterns.join(u' ') + QLatin1Char(')');
    entries << (description.isEmpty() ? list : description + QLatin1Char(' ') + list);
  }
  return entries.join(QStringLiteral(";;"));
}

QtPrompter::QtPrompter(QWidget* owner, std::function<int()> langOffset,
                       std::function<std::string()> helpPath, core::HelpViewer& help)
    : owner_(owner),
      langOffset_(std::move(langOffset)),
      helpPath_(std::move(helpPath)),
      help_(help) {}

void QtPrompter::showInfo(const std::string& text, core::MessageKind kind) {
  const MessageBox::Kind boxKind = kind == core::MessageKind::Error     ? MessageBox::Kind::Error
                                   : kind == core::MessageKind::Warning ? MessageBox::Kind::Warning
                                                                        : MessageBox::Kind::Info;
  MessageBox box(boxKind, text, langOffset_(), helpPath_(), help_, owner_);
  box.run();
}

bool QtPrompter::askYesNo(const std::string& text) {
  MessageBox box(MessageBox::Kind::Question, text, langOffset_(), helpPath_(), help_, owner_);
  return box.run();
}

std::optional<std::string> QtPrompter::askOpenPath(const core::FileDialogRequest& request) {
  return runFileDialog(owner_, request, false);
}

std::optional<std::string> QtPrompter::askSavePath(const core::FileDialogRequest& request) {
  return runFileDialog(owner_, request, true);
}

}  // namespace vexilo::ui
