// The manual as built: each language's collection opens every topic the program asks for, in
// its own language, its search finds the pages of a word, and its index lists keywords; the
// shipped collection is never written.
#include <QCryptographicHash>
#include <QDialog>
#include <QFile>
#include <QHelpEngine>
#include <QHelpIndexModel>
#include <QHelpSearchEngine>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include "ui/help_window.h"

using namespace vexilo;

namespace {

struct Language {
  const char* file;
  int offset;
  const char* title;      // the first page's title
  const char* searchTab;  // the search tab's caption
  const char* onePageWord;
};
const Language kLanguages[] = {{"vexiloe.qhc", 0, "Vexilo", "Help Search", "Demultiplication"},
                               {"vexilof.qhc", 10000, "Vexilo", "Recherche dans l'aide", "Démultiplication"}};

QString collection(const Language& l) { return QStringLiteral(VEXILO_HELP_DIR "/") + l.file; }

QByteArray digest(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

TEST(Manual, EveryTopicTheProgramAsksForOpensInItsLanguage) {
  QString firstPages[2];
  for (const Language& l : kLanguages) {
    SCOPED_TRACE(l.file);
    const QByteArray before = digest(collection(l));
    ASSERT_FALSE(before.isEmpty()) << "the build makes the collection";
    int lang = l.offset;
    ui::QtHelpViewer viewer([&lang] { return lang; });
    // Help Topics and F1, the information and question boxes' help buttons, the About box's.
    const std::pair<int, const char*> topics[] = {
        {998, "index.html"}, {1001, "messages.html#information"}, {1003, "messages.html#question"}, {1006, "about.html"}};
    for (const auto& [context, page] : topics) {
      viewer.showContext(collection(l).toStdString(), context + l.offset);
      ASSERT_NE(viewer.window(), nullptr);
      QTextBrowser& browser = viewer.window()->browser();
      const QUrl shown = browser.source();
      EXPECT_EQ(shown.fileName() + (shown.hasFragment() ? "#" + shown.fragment() : QString()), page) << context;
      const QByteArray html = viewer.window()->engine().fileData(shown);
      if (shown.hasFragment()) {
        EXPECT_TRUE(html.contains("id=\"" + shown.fragment().toUtf8() + "\"")) << context;
      }
      EXPECT_GT(browser.toPlainText().size(), 200) << context;
    }
    viewer.showContext(collection(l).toStdString(), 998 + l.offset);
    firstPages[l.offset ? 1 : 0] = viewer.window()->browser().toPlainText();
    EXPECT_TRUE(viewer.window()->browser().documentTitle().contains(l.title));
    // A number the manual lacks, or the other language's: the first page, and said so.
    EXPECT_FALSE(viewer.window()->showContext(1003 + 10000 - l.offset));
    EXPECT_EQ(viewer.window()->browser().source().fileName(), "index.html");
    EXPECT_EQ(viewer.window()->tabs().tabText(ui::HelpWindow::Search), QString::fromUtf8(l.searchTab));
    // Asked from a message box, the help stands above the box so that it can be read; asked from
    // the window again, it no longer blocks anything.
    QDialog box;
    box.setModal(true);
    box.show();
    viewer.showContext(collection(l).toStdString(), 1001 + l.offset);
    EXPECT_TRUE(viewer.window()->isModal() && viewer.window()->isVisible());
    box.hide();
    viewer.showContext(collection(l).toStdString(), 998 + l.offset);
    EXPECT_TRUE(!viewer.window()->isModal() && viewer.window()->isVisible());
    EXPECT_EQ(digest(collection(l)), before) << "the shipped collection is read only";
  }
  EXPECT_NE(firstPages[0], firstPages[1]) << "each language has its own manual";
}

TEST(Manual, SearchFindsTheWordsPagesAndTheIndexListsKeywords) {
  for (const Language& l : kLanguages) {
    SCOPED_TRACE(l.file);
    ui::QtHelpViewer viewer([&l] { return l.offset; });
    // Help Search: the window's search runs once its index is made.
    viewer.showSearch(collection(l).toStdString(), "Quillon");
    ASSERT_NE(viewer.window(), nullptr);
    QSignalSpy searched(viewer.window(), &ui::HelpWindow::searched);
    ASSERT_TRUE(searched.wait(20000));
    QHelpSearchEngine& search = *viewer.window()->engine().searchEngine();
    ASSERT_GT(searched.takeFirst().at(0).toInt(), 0);
    EXPECT_EQ(search.searchResults(0, 1).at(0).url().fileName(), "options-help.html");
    EXPECT_EQ(viewer.window()->tabs().currentIndex(), ui::HelpWindow::Search);

    // A word of one page only finds that page.
    viewer.window()->search(QString::fromUtf8(l.onePageWord));
    ASSERT_TRUE(searched.wait(20000));
    const int hits = searched.takeFirst().at(0).toInt();
    ASSERT_GT(hits, 0);
    for (const QHelpSearchResult& r : search.searchResults(0, hits)) EXPECT_EQ(r.url().fileName(), "edit-menu.html");

    viewer.showIndex(collection(l).toStdString());
    EXPECT_EQ(viewer.window()->tabs().currentIndex(), ui::HelpWindow::Index);
    QHelpIndexModel& index = *viewer.window()->engine().indexModel();
    QTRY_VERIFY_WITH_TIMEOUT(index.rowCount() > 20, 10000);
  }
}

}  // namespace
