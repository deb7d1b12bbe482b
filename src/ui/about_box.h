// Help > About: the program's name, version and maker, with buttons to write to the maker or
// visit its web site, and a help button.
#pragma once

#include <QDialog>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QUrl>

#include <functional>
#include <string>

#include "core/interaction.h"

namespace vexilo::ui {

// Opens a link with the desktop (a web page, a mailto: address).
// Opens an address in the desktop's browser or mail program; whether one took it.
using UrlOpener = std::function<bool(const QUrl&)>;
UrlOpener desktopUrlOpener();

// Dialog units: a quarter of the font's average character width across, an eighth of its
// height down. The base units are that width and height in pixels.
struct DialogBaseUnits {
  int x;
  int y;
};
DialogBaseUnits dialogBaseUnits(const QFont& font);
QRect fromDialogUnits(const QRect& units, DialogBaseUnits base);

// Where a box of size `box` goes to be centred over `owner`: a coordinate below 0 becomes 0,
// else one that would push the box past the screen's right or bottom edge is pulled back.
QPoint centredOver(const QRect& owner, const QSize& box, const QSize& screen);

class AboutBox : public QDialog {
  Q_OBJECT

 public:
  // Texts are looked up now, in the language of langOffset. An empty helpPath makes the help
  // button do nothing.
  AboutBox(int langOffset, std::string helpPath, core::HelpViewer& help, UrlOpener openUrl,
           QWidget* owner = nullptr);

  // Shows the box modally, centred over `ownerRect` on a screen of `screen` size.
  void run(const QRect& ownerRect, const QSize& screen);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QRect ownerRect_;
  QSize screen_;
  int langOffset_;
  std::string helpPath_;
  core::HelpViewer& help_;
  UrlOpener openUrl_;
};

}  // namespace vexilo::ui
