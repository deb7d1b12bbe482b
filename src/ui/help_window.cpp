#include "ui/help_window.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLineEdit>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "core/string_table.h"

namespace vexilo::ui {
namespace {

// Shows the manual's pages, which live inside the compressed help file, not on disk.
class HelpBrowser : public QTextBrowser {
 public:
  HelpBrowser(QHelpEngine& engine, QWidget* parent) : QTextBrowser(parent), engine_(engine) {
    setObjectName(QStringLiteral("HelpBrowser"));
    setOpenExternalLinks(true);
  }
  QVariant loadResource(int type, const QUrl& name) override {
    if (name.scheme() == QLatin1String("qthelp")) return engine_.fileData(name);
    return QTextBrowser::loadResource(type, name);
  }

 private:
  QHelpEngine& engine_;
};

// A fresh collection in the user's cache registering the documentation of the shipped one: the
// shipped collection stays untouched, and the search index is made beside the copy.
QString workingCollection(const QString& shipped) {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + "/help";
  QDir().mkpath(folder);
  const QFileInfo info(shipped);
  const QString copy = folder + "/" + info.fileName();
  QFile::remove(copy);
  QDir(folder + "/." + info.completeBaseName()).removeRecursively();

  QHelpEngineCore source(shipped);
  source.setReadOnly(true);
  source.setupData();
  QHelpEngineCore target(copy);
  target.setReadOnly(false);  // engines are read only unless told otherwise
  target.setupData();
  for (const QString& ns : source.registeredDocumentations())
    target.registerDocumentation(source.documentationFileName(ns));
  return copy;
}

QString text(int id, int langOffset) {
  return QString::fromStdString(core::loadLocalString(id, langOffset)).remove('&');
}

}  // namespace

HelpWindow::HelpWindow(const QString& collection, int langOffset)
    : QWidget(nullptr, Qt::Window),
      collection_(collection),
      engine_(std::make_unique<QHelpEngine>(workingCollection(collection))) {
  setObjectName(QStringLiteral("HelpWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  engine_->setReadOnly(false);
  engine_->setupData();
  QHelpSearchEngine* searchEngine = engine_->searchEngine();

  auto* browser = new HelpBrowser(*engine_, this);
  auto* tabs = new QTabWidget(this);
  tabs->setObjectName(QStringLiteral("HelpTabs"));
  tabs->addTab(engine_->contentWidget(), QString());

  auto* indexPage = new QWidget(tabs);
  auto* filter = new QLineEdit(indexPage);
  filter->setObjectName(QStringLiteral("IndexFilter"));
  auto* indexLayout = new QVBoxLayout(indexPage);
  indexLayout->addWidget(filter);
  indexLayout->addWidget(engine_->indexWidget());
  tabs->addTab(indexPage, QString());

  auto* searchPage = new QWidget(tabs);
  auto* searchLayout = new QVBoxLayout(searchPage);
  searchLayout->addWidget(searchEngine->queryWidget());
  searchLayout->addWidget(searchEngine->resultWidget());
  tabs->addTab(searchPage, QString());

  auto* splitter = new QSplitter(this);
  splitter->addWidget(tabs);
  splitter->addWidget(browser);
  splitter->setSizes({320, 580});
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter);
  resize(900, 600);

  connect(engine_->contentWidget(), &QHelpContentWidget::linkActivated, this, &HelpWindow::showPage);
  connect(filter, &QLineEdit::textChanged, this, [this](const QString& words) { engine_->indexWidget()->filterIndices(words); });
  connect(filter, &QLineEdit::returnPressed, engine_->indexWidget(), &QHelpIndexWidget::activateCurrentItem);
  connect(engine_->indexWidget(), &QHelpIndexWidget::documentActivated, this,
          [this](const QHelpLink& link, const QString&) { showPage(link.url); });
  connect(engine_->indexWidget(), &QHelpIndexWidget::documentsActivated, this,
          [this](const QList<QHelpLink>& links, const QString&) {
            if (!links.isEmpty()) showPage(links.first().url);
          });
  connect(searchEngine->queryWidget(), &QHelpSearchQueryWidget::search, this, &HelpWindow::runSearch);
  connect(searchEngine->resultWidget(), &QHelpSearchResultWidget::requestShowLink, this, &HelpWindow::showPage);
  connect(searchEngine, &QHelpSearchEngine::indexingFinished, this, [this] {
    indexed_ = true;
    if (searchWaiting_) runSearch();
  });
  connect(searchEngine, &QHelpSearchEngine::searchingFinished, this, [this](int hits) { emit searched(hits); });
  searchEngine->reindexDocumentation();
  setLanguage(langOffset);
}

HelpWindow::~HelpWindow() = default;

QTextBrowser& HelpWindow::browser() { return *findChild<QTextBrowser*>(QStringLiteral("HelpBrowser")); }
QTabWidget& HelpWindow::tabs() { return *findChild<QTabWidget*>(QStringLiteral("HelpTabs")); }

void HelpWindow::setLanguage(int langOffset) {
  setWindowTitle(text(6543, langOffset) + QStringLiteral(" – Vexilo"));
  tabs().setTabText(Contents, text(6543, langOffset));
  tabs().setTabText(Index, text(6545, langOffset));
  tabs().setTabText(Search, text(6546, langOffset));
}

void HelpWindow::showPage(const QUrl& url) { browser().setSource(url); }

bool HelpWindow::showContext(int context) {
  const QList<QHelpLink> links = engine_->documentsForIdentifier(QStringLiteral("context-%1").arg(context));
  if (!links.isEmpty()) {
    showPage(links.first().url);
    return true;
  }
  // No such topic: the first page of the contents, if the manual has one.
  const QList<QHelpLink> first = engine_->documentsForIdentifier(QStringLiteral("context-%1").arg(998 + context / 10000 * 10000));
  if (!first.isEmpty()) showPage(first.first().url);
  return false;
}

void HelpWindow::showTab(Tab tab) { tabs().setCurrentIndex(tab); }

void HelpWindow::search(const QString& words) {
  showTab(Search);
  engine_->searchEngine()->queryWidget()->setSearchInput(words);
  runSearch();
}

void HelpWindow::runSearch() {
  // Searching before the index exists would find nothing: the search then runs when it is made.
  searchWaiting_ = !indexed_;
  if (indexed_) engine_->searchEngine()->search(engine_->searchEngine()->queryWidget()->searchInput());
}

QtHelpViewer::QtHelpViewer(std::function<int()> langOffset) : langOffset_(std::move(langOffset)) {}

QtHelpViewer::~QtHelpViewer() { delete window_.data(); }

HelpWindow& QtHelpViewer::windowFor(const std::string& helpPath) {
  const QString collection = QString::fromStdString(helpPath);
  const int lang = langOffset_ ? langOffset_() : 0;
  if (window_ && window_->collection() != collection) delete window_.data();
  if (!window_) window_ = new HelpWindow(collection, lang);
  window_->setLanguage(lang);
  // Asked from a message box or the About box, which block every other window while they are
  // open: the help then stands above them until it is closed, so that it can be read.
  const bool overModal = QApplication::activeModalWidget() && QApplication::activeModalWidget() != window_;
  if (window_->isModal() != overModal) {
    window_->hide();
    window_->setWindowModality(overModal ? Qt::ApplicationModal : Qt::NonModal);
  }
  window_->show();
  window_->raise();
  window_->activateWindow();
  return *window_;
}

void QtHelpViewer::showContext(const std::string& helpPath, int context) {
  HelpWindow& w = windowFor(helpPath);
  w.showTab(HelpWindow::Contents);
  w.showContext(context);
}

void QtHelpViewer::showIndex(const std::string& helpPath) {
  HelpWindow& w = windowFor(helpPath);
  w.showTab(HelpWindow::Index);
  w.showContext(998 + (langOffset_ ? langOffset_() : 0));
}

void QtHelpViewer::showSearch(const std::string& helpPath, const std::string& query) {
  windowFor(helpPath).search(QString::fromStdString(query));
}

}  // namespace vexilo::ui
