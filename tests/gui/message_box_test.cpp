// The program's message boxes and file dialogs, driven through QtPrompter as the commands use
// them: keys, buttons and the close box on the modal boxes, texts in both languages, help.
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/interaction.h"
#include "core/string_table.h"
#include "support/modal.h"
#include "support/temp_dir.h"
#include "ui/message_box.h"
#include "ui/qt_prompter.h"

namespace vexilo::ui {
using vexilo::test::WhenModal;

namespace {

using core::kEnglish;
using core::kFrench;

struct RecordingHelp : core::HelpViewer {
  std::vector<std::pair<std::string, int>> contexts;
  int others = 0;
  void showContext(const std::string& helpPath, int context) override {
    contexts.emplace_back(helpPath, context);
  }
  void showIndex(const std::string&) override { ++others; }
  void showSearch(const std::string&, const std::string&) override { ++others; }
};

template <class T>
T* child(QWidget& box, const char* name) {
  T* found = box.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(found, nullptr) << name;
  return found;
}

void pressKey(QWidget& box, Qt::Key key) {
  QWidget* target = box.focusWidget() ? box.focusWidget() : &box;
  QTest::keyClick(target, key);
}

void click(QWidget& box, const char* name) {
  if (auto* button = child<QAbstractButton>(box, name)) QTest::mouseClick(button, Qt::LeftButton);
}

struct Fixture {
  RecordingHelp help;
  int lang = kEnglish;
  std::string helpPath = "/usr/share/vexilo/help/vexilo.qch";
  QtPrompter prompter{nullptr, [this] { return lang; }, [this] { return helpPath; }, help};
};

TEST(MessageBox, QuestionIsYesOnlyThroughYes) {
  struct Case {
    const char* how;
    std::function<void(QWidget&)> act;
    bool expected;
  };
  const std::vector<Case> cases = {
      {"Enter", [](QWidget& box) { pressKey(box, Qt::Key_Return); }, true},
      {"click Yes", [](QWidget& box) { click(box, "MessOui"); }, true},
      {"Esc", [](QWidget& box) { pressKey(box, Qt::Key_Escape); }, false},
      {"close box", [](QWidget& box) { box.close(); }, false},
      {"click No", [](QWidget& box) { click(box, "MessNon"); }, false},
  };
  Fixture f;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    WhenModal driver([&](QWidget& box) {
      EXPECT_EQ(box.findChild<QPushButton*>("MessFermer"), nullptr) << "a question has no Close";
      c.act(box);
    });
    EXPECT_EQ(f.prompter.askYesNo("Replace?"), c.expected);
  }
  EXPECT_TRUE(f.help.contexts.empty());
}

TEST(MessageBox, InformationClosesByEnterEscAndCloseBox) {
  const std::vector<std::pair<const char*, std::function<void(QWidget&)>>> ways = {
      {"Enter", [](QWidget& box) { pressKey(box, Qt::Key_Enter); }},
      {"Return", [](QWidget& box) { pressKey(box, Qt::Key_Return); }},
      {"Esc", [](QWidget& box) { pressKey(box, Qt::Key_Escape); }},
      {"close box", [](QWidget& box) { box.close(); }},
      {"click Close", [](QWidget& box) { click(box, "MessFermer"); }},
  };
  Fixture f;
  for (const auto& [how, act] : ways) {
    SCOPED_TRACE(how);
    bool wasInfo = false;
    WhenModal driver([&](QWidget& box) {
      wasInfo = box.findChild<QPushButton*>("MessFermer") != nullptr &&
                box.findChild<QPushButton*>("MessOui") == nullptr;
      act(box);
    });
    f.prompter.showInfo("Done.");
    EXPECT_TRUE(wasInfo);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  }
}

TEST(MessageBox, HelpButtonShowsTheContextOfTheBoxAndKeepsItOpen) {
  Fixture f;
  for (int lang : {kEnglish, kFrench}) {
    f.lang = lang;
    WhenModal info([&](QWidget& box) {
      click(box, "Aide");
      EXPECT_TRUE(box.isVisible());
      pressKey(box, Qt::Key_Escape);
    });
    f.prompter.showInfo("Info");

    WhenModal question([&](QWidget& box) {
      click(box, "Aide");
      click(box, "Aide");
      EXPECT_TRUE(box.isVisible());
      click(box, "MessNon");
    });
    EXPECT_FALSE(f.prompter.askYesNo("Question")) << "the help button does not answer the question";
  }
  using Call = std::pair<std::string, int>;
  const std::string& path = f.helpPath;
  EXPECT_EQ(f.help.contexts, (std::vector<Call>{{path, 1001}, {path, 1003}, {path, 1003},
                                                {path, 11001}, {path, 11003}, {path, 11003}}));
  EXPECT_EQ(f.help.others, 0);

  f.help.contexts.clear();
  f.helpPath.clear();
  WhenModal noHelp([](QWidget& box) {
    click(box, "Aide");
    EXPECT_TRUE(box.isVisible());
    click(box, "MessOui");
  });
  EXPECT_TRUE(f.prompter.askYesNo("Question"));
  EXPECT_TRUE(f.help.contexts.empty());
}

TEST(MessageBox, TextsFollowTheLanguageWhenTheBoxIsBuilt) {
  Fixture f;
  f.lang = kFrench;
  WhenModal french([](QWidget& box) {
    EXPECT_EQ(child<QPushButton>(box, "MessOui")->text(), QString("&Oui"));
    EXPECT_EQ(child<QPushButton>(box, "MessNon")->text(), QString("&Non"));
    EXPECT_EQ(child<QToolButton>(box, "Aide")->toolTip(),
              QString::fromStdString(std::string(core::lookupString(11047))));
    EXPECT_EQ(child<QToolButton>(box, "Aide")->toolTip(),
              QString::fromUtf8("Affichage de l'aide contextuelle sur cette fenêtre"));
    EXPECT_EQ(box.windowTitle(), QString("Vexilo"));
    pressKey(box, Qt::Key_Return);
  });
  EXPECT_TRUE(f.prompter.askYesNo("?"));

  WhenModal frenchInfo([](QWidget& box) {
    EXPECT_EQ(child<QPushButton>(box, "MessFermer")->text(), QString("&Fermer"));
    pressKey(box, Qt::Key_Return);
  });
  f.prompter.showInfo("!");

  f.lang = kEnglish;
  WhenModal english([](QWidget& box) {
    EXPECT_EQ(child<QPushButton>(box, "MessOui")->text(), QString("&Yes"));
    EXPECT_EQ(child<QPushButton>(box, "MessNon")->text(), QString("&No"));
    EXPECT_EQ(child<QToolButton>(box, "Aide")->toolTip(),
              QString("Display the context-sensitive help about this window"));
    pressKey(box, Qt::Key_Escape);
  });
  EXPECT_FALSE(f.prompter.askYesNo("?"));
}

TEST(MessageBox, FileMessagesShowTheWholeText) {
  Fixture f;
  QString shown;
  Qt::TextFormat format = Qt::AutoText;
  auto record = [&](QWidget& box) {
    auto* label = child<QLabel>(box, "MessText");
    shown = label->text();
    format = label->textFormat();
    pressKey(box, Qt::Key_Return);
  };

  // Characters a rich-text label would swallow, and a line feed on each side of the path.
  const std::string path = "/home/anne/Icônes <vieilles> & neuves/dossier.ico";
  {
    WhenModal driver(record);
    EXPECT_TRUE(core::askOverwrite(f.prompter, kEnglish, path));
  }
  EXPECT_EQ(shown.toStdString(),
            "File\n" + path + "\nexists already on the medium.\nDo you want to overwrite it?");
  EXPECT_EQ(format, Qt::PlainText);

  // Far more than the box has room for, with two-byte characters all along.
  std::string longPath = "/";
  while (longPath.size() < 2000) longPath += "répertoire-numéro-";
  {
    WhenModal driver(record);
    core::showFileError(f.prompter, kFrench, longPath);
  }
  EXPECT_EQ(shown.toStdString(),
            "Le fichier\n" + longPath + "\nn'a pas pu être ouvert ou créé.");
}

TEST(MessageBox, GeometryAndPlacement) {
  RecordingHelp help;
  QWidget owner;
  owner.setGeometry(100, 80, 600, 450);  // inside the 800 × 600 offscreen screen
  owner.show();
  MessageBox box(MessageBox::Kind::Question, "Text", kEnglish, "", help, &owner);
  box.show();
  EXPECT_EQ(box.size(), QSize(332, 173));
  EXPECT_EQ(box.minimumSize(), box.maximumSize());
  EXPECT_LE((box.geometry().center() - owner.geometry().center()).manhattanLength(), 2);

  EXPECT_EQ(child<QToolButton>(box, "Aide")->geometry(), QRect(269, 5, 58, 58));
  EXPECT_FALSE(child<QToolButton>(box, "Aide")->icon().pixmap(52).isNull());
  EXPECT_EQ(child<QFrame>(box, "Panel1")->geometry(), QRect(6, 5, 257, 136));
  auto* text = child<QLabel>(box, "MessText");
  EXPECT_EQ(text->parentWidget()->objectName(), QString("Panel1"));
  EXPECT_EQ(text->geometry(), QRect(9, 10, 240, 116));
  EXPECT_EQ(child<QPushButton>(box, "MessOui")->geometry(), QRect(80, 146, 120, 22));
  EXPECT_EQ(child<QPushButton>(box, "MessNon")->geometry(), QRect(208, 146, 120, 22));
  EXPECT_TRUE(child<QPushButton>(box, "MessOui")->isDefault());
  EXPECT_FALSE(child<QPushButton>(box, "MessNon")->isDefault());

  MessageBox info(MessageBox::Kind::Info, "Text", kEnglish, "", help, &owner);
  EXPECT_EQ(child<QPushButton>(info, "MessFermer")->geometry(), QRect(208, 146, 120, 22));
  EXPECT_TRUE(child<QPushButton>(info, "MessFermer")->isDefault());
}

TEST(MessageBox, FilterConversion) {
  EXPECT_EQ(toQtFilter(core::lookupString(6440)),
            QString("Icon Files [*.ico] (*.ico);;All Files [*.*] (*)"));
  EXPECT_EQ(toQtFilter(core::lookupString(16440)),
            QString::fromUtf8("Fichiers d'icônes [*.ico] (*.ico);;Tous les fichiers [*.*] (*)"));
  EXPECT_EQ(toQtFilter(core::lookupString(6419)),
            QString("Icon Files [*.ico;*.bmp;*.icns] (*.ico *.bmp *.icns);;"
                    "Binary Resource Files[*.bin] (*.bin);;"
                    "Graphic Files[*.jpg;*.jpeg] (*.jpg *.jpeg);;All Files [*.*] (*)"));
  EXPECT_EQ(toQtFilter(core::lookupString(16419)),
            QString::fromUtf8("Fichiers d'icônes [*.ico;*.bmp;*.icns] (*.ico *.bmp *.icns);;"
                              "Fichiers binaires de ressources[*.bin] (*.bin);;"
                              "Fichiers graphiques[*.jpg;*.jpeg] (*.jpg *.jpeg);;"
                              "Tous les fichiers [*.*] (*)"));
  // Loose forms: a trailing separator, spaces around patterns, a description left alone.
  EXPECT_EQ(toQtFilter("Icons| *.ico ; *.icns |"), QString("Icons (*.ico *.icns)"));
  EXPECT_EQ(toQtFilter("Icons|*.ico||"), QString("Icons (*.ico)"));
  EXPECT_EQ(toQtFilter(""), QString());
}

TEST(MessageBoxFileDialog, SaveNeverAsksAboutOverwritingAndAddsTheExtension) {
  Fixture f;
  test::TempDir dir;
  const std::string existing = (dir / "old.ico").string();
  std::ofstream(existing) << "x";
  core::FileDialogRequest request{"Save the icon", std::string(core::lookupString(6440)), "ico",
                            "*.ico", dir.path().string()};

  {
    WhenModal driver([&](QWidget& box) {
      auto* dialog = qobject_cast<QFileDialog*>(&box);
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
      EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
      EXPECT_EQ(dialog->windowTitle(), QString("Save the icon"));
      EXPECT_EQ(dialog->directory().absolutePath().toStdString(), dir.path().string());
      EXPECT_EQ(dialog->nameFilters(),
                QStringList({"Icon Files [*.ico] (*.ico)", "All Files [*.*] (*)"}));
      if (auto* name = child<QLineEdit>(box, "fileNameEdit")) {
        EXPECT_EQ(name->text(), QString()) << "a pattern names no file";
      }
      dialog->selectFile(QString::fromStdString(existing));
      // QFileDialog::accept(); a second modal box here would be left to the watchdog.
      static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(f.prompter.askSavePath(request), existing);
  }

  request.initialName = "draft";
  {
    WhenModal driver([&](QWidget& box) {
      if (auto* name = child<QLineEdit>(box, "fileNameEdit")) {
        EXPECT_EQ(name->text(), QString("draft"));
      }
      static_cast<QDialog&>(box).accept();
    });
    EXPECT_EQ(f.prompter.askSavePath(request), (dir / "draft.ico").string());
  }

  WhenModal cancel([](QWidget& box) { pressKey(box, Qt::Key_Escape); });
  EXPECT_EQ(f.prompter.askSavePath(request), std::nullopt);
}

TEST(MessageBoxFileDialog, OpenWantsAnExistingFile) {
  Fixture f;
  test::TempDir dir;
  const std::string existing = (dir / "icon.ico").string();
  std::ofstream(existing) << "x";
  const core::FileDialogRequest request{"Open", std::string(core::lookupString(6419)), "ico", "*.ico",
                                  dir.path().string()};
  {
    WhenModal driver([&](QWidget& box) {
      auto* dialog = qobject_cast<QFileDialog*>(&box);
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
      EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
      EXPECT_EQ(dialog->nameFilters().size(), 4);
      dialog->selectFile(QString::fromStdString(existing));
      static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(f.prompter.askOpenPath(request), existing);
  }
  WhenModal cancel([](QWidget& box) { box.close(); });
  EXPECT_EQ(f.prompter.askOpenPath(request), std::nullopt);
}

}  // namespace
}  // namespace vexilo::ui
