// The manual: a Qt Help collection per language, shown in a help window of the program with its
// contents, keyword index and full-text search.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/interaction.h"

class QHelpEngine;
class QTabWidget;
class QTextBrowser;

namespace vexilo::ui {

// One window over one collection. The collection the program ships is read only; the window
// works on a copy of its registrations in the user's cache, where the search index can be kept.
class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  // Tabs in the window's order.
  enum Tab { Contents, Index, Search };

  HelpWindow(const QString& collection, int langOffset);
  ~HelpWindow() override;

  const QString& collection() const { return collection_; }
  QHelpEngine& engine() { return *engine_; }
  QTextBrowser& browser();
  QTabWidget& tabs();
  // The page of the topic number: the keyword of identifier "context-N". False when the manual
  // has no such topic (the window then shows its first page).
  bool showContext(int context);
  void showTab(Tab tab);
  // Puts the words in the search box and runs the search once the index is made.
  void search(const QString& words);
  void setLanguage(int langOffset);

 signals:
  // Every search that has run, with the number of pages found.
  void searched(int hits);

 private:
  void showPage(const QUrl& url);
  void runSearch();

  QString collection_;
  std::unique_ptr<QHelpEngine> engine_;
  bool indexed_ = false;
  bool searchWaiting_ = false;
};

// The help viewer of the window program: one help window per collection, kept for the run.
class QtHelpViewer : public core::HelpViewer {
 public:
  explicit QtHelpViewer(std::function<int()> langOffset = {});
  ~QtHelpViewer() override;
  void showContext(const std::string& helpPath, int context) override;
  void showIndex(const std::string& helpPath) override;
  void showSearch(const std::string& helpPath, const std::string& query) override;
  // The window last shown, null before any.
  HelpWindow* window() const { return window_; }

 private:
  HelpWindow& windowFor(const std::string& helpPath);

  std::function<int()> langOffset_;
  QPointer<HelpWindow> window_;
};

}  // namespace vexilo::ui
