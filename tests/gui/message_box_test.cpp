// The program's message boxes and file dialogs, driven through QtPrompter as the commands use
// them: keys, buttons and the close box, texts in both languages, help.
#include <QFileDialog>
#include <QLabel>
#include <QTest>
#include <QToolButton>

#include <fstream>
#include "core/string_table.h"
#include "support/fake_prompter.h"
#include "support/modal.h"
#include "support/temp_dir.h"
#include "ui/qt_prompter.h"

using namespace vexilo;
using test::WhenModal;

namespace {

void press(QWidget& box, Qt::Key key) { QTest::keyClick(box.focusWidget() ? box.focusWidget() : &box, key); }
void click(QWidget& box, const char* name) {
  QTest::mouseClick(box.findChild<QAbstractButton*>(name), Qt::LeftButton);
}
// The captions of Yes, No and Close; "-" for a button the box does not have.
QString captions(QWidget& box) {
  QString all;
  for (const char* name : {"MessOui", "MessNon", "MessFermer"})
    all += box.findChild<QAbstractButton*>(name) ? box.findChild<QAbstractButton*>(name)->text() : "-";
  return all;
}

struct Fixture {
  test::RecordingHelp help;
  int lang = core::kEnglish;
  std::string helpPath = "/usr/share/vexilo/help/vexilo.qch";
  ui::QtPrompter prompter{nullptr, [this] { return lang; }, [this] { return helpPath; }, help};
};

}  // namespace

TEST(MessageBox, AnswersKeysHelpAndTextsInEitherLanguage) {
  // The whole text as it is: characters a rich-text label would swallow, two-byte ones, far
  // more than the box has room for.
  std::string text = "Le fichier\n/";
  while (text.size() < 2000) text += "Icônes <vieilles> & neuves/";
  // yes: the question's answer, -1 when a question has no such button; info: whether an
  // information box has it. Help shows the box's topic and leaves the box open.
  struct Case { const char* how; std::function<void(QWidget&)> act; int yes; bool info; };
  const std::vector<Case> cases = {
      {"Enter", [](QWidget& box) { press(box, Qt::Key_Return); }, 1, true},
      {"Yes", [](QWidget& box) { click(box, "MessOui"); }, 1, false},
      {"Esc", [](QWidget& box) { press(box, Qt::Key_Escape); }, 0, true},
      {"close box", [](QWidget& box) { box.close(); }, 0, true},
      {"No", [](QWidget& box) { click(box, "MessNon"); }, 0, false},
      {"Close", [](QWidget& box) { click(box, "MessFermer"); }, -1, true},
      {"Help, then Esc", [](QWidget& box) {
         click(box, "Aide");
         EXPECT_TRUE(box.isVisible());
         press(box, Qt::Key_Escape);
       }, 0, true},
  };
  Fixture f;
  for (const auto& [lang, question, info] : {std::tuple{core::kEnglish, "&Yes&No-", "--&Close"},
                                             std::tuple{core::kFrench, "&Oui&Non-", "--&Fermer"}}) {
    f.lang = lang;
    for (const Case& c : cases) {
      SCOPED_TRACE(c.how);
      const auto checked = [&](const char* expected) {
        return [&, expected](QWidget& box) {
          const auto* label = box.findChild<QLabel*>("MessText");
          EXPECT_TRUE(captions(box) == expected && label->text().toStdString() == text &&
                      label->textFormat() == Qt::PlainText);
          EXPECT_EQ(box.findChild<QToolButton*>("Aide")->toolTip().toStdString(), core::lookupString(1047 + lang));
          c.act(box);
        };
      };
      if (c.yes >= 0) {
        WhenModal driver(checked(question));
        EXPECT_EQ(f.prompter.askYesNo(text), c.yes == 1);
      }
      if (!c.info) continue;
      WhenModal driver(checked(info));
      f.prompter.showInfo(text);  // returns once the box is closed
    }
  }
  f.helpPath.clear();  // no help file: nothing shown
  WhenModal noHelp(cases.back().act);
  f.prompter.showInfo(text);
  std::vector<int> contexts;
  for (const auto& call : f.help.calls) contexts.push_back(call.path.empty() ? -1 : call.context);
  EXPECT_EQ(contexts, (std::vector<int>{1003, 1001, 11003, 11001}));
}

TEST(MessageBox, FileDialogsNeverAskAboutOverwritingAndAddTheExtension) {
  EXPECT_EQ(ui::toQtFilter("Icons| *.ico ; *.icns |All|*.*||"), QString("Icons (*.ico *.icns);;All (*)"));
  Fixture f;
  test::TempDir dir;
  const std::string existing = (dir / "old.ico").string();
  std::ofstream(existing) << "x";
  core::FileDialogRequest request{"Save", std::string(core::lookupString(16440)), "ico", "*.ico",
                                  dir.path().string()};
  for (const auto& [save, initialName, chosen, expected] :
       {std::tuple{true, "*.ico", existing, existing}, {false, "*.ico", existing, existing},
        {true, "draft", std::string(), (dir / "draft.ico").string()}}) {
    request.initialName = initialName;  // a pattern names no file
    WhenModal driver([&, save = save, chosen = chosen](QWidget& box) {
      auto& dialog = static_cast<QFileDialog&>(box);
      EXPECT_EQ(dialog.fileMode(), save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
      EXPECT_EQ(dialog.testOption(QFileDialog::DontConfirmOverwrite), save);
      EXPECT_EQ(dialog.nameFilters().join("|").toStdString(),
                "Fichiers d'icônes [*.ico] (*.ico)|Tous les fichiers [*.*] (*)");
      if (!chosen.empty()) dialog.selectFile(QString::fromStdString(chosen));  // else the name shown
      static_cast<QDialog&>(dialog).accept();  // a second modal box would be left to the watchdog
    });
    EXPECT_EQ(save ? f.prompter.askSavePath(request) : f.prompter.askOpenPath(request), expected);
  }
  WhenModal cancel([](QWidget& box) { press(box, Qt::Key_Escape); });
  EXPECT_EQ(f.prompter.askSavePath(request), std::nullopt);
}
