#include "ui/about_box.h"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include <utility>

#include "core/help.h"
#include "core/string_table.h"
#include "ui/resources.h"

namespace vexilo::ui {
namespace {

constexpr int kHelpTip = 1047;
constexpr int kOkText = 1049;
constexpr int kCaption = 1054;
constexpr int kTitle = 1055;
constexpr int kMaker = 1056;
constexpr int kSendMail = 1059;
constexpr int kVisitSite = 1060;

QString localText(int id, int langOffset) {
  return QString::fromStdString(core::loadLocalString(id, langOffset));
}

// Rounded like the system's own conversion (halves away from zero).
int scaled(int value, int base, int divisor) {
  const long long product = static_cast<long long>(value) * base;
  const long long half = divisor / 2;
  return static_cast<int>(product >= 0 ? (product + half) / divisor : (product - half) / divisor);
}

}  // namespace

UrlOpener desktopUrlOpener() {
  return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

DialogBaseUnits dialogBaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(letters / 26 + 1) / 2, metrics.height()};
}

QRect fromDialogUnits(const QRect& units, DialogBaseUnits base) {
  return {scaled(units.x(), base.x, 4), scaled(units.y(), base.y, 8),
          scaled(units.width(), base.x, 4), scaled(units.height(), base.y, 8)};
}

QPoint centredOver(const QRect& owner, const QSize& box, const QSize& screen) {
  const auto place = [](int start, int extent, int size, int screenSize) {
    const int at = start + (extent - size) / 2;  // truncates toward zero
    if (at < 0) return 0;
    if (at + size > screenSize) return screenSize - size;
    return at;
  };
  return {place(owner.left(), owner.width(), box.width(), screen.width()),
          place(owner.top(), owner.height(), box.height(), screen.height())};
}

AboutBox::AboutBox(int langOffset, std::string helpPath, core::HelpViewer& help,
                   UrlOpener openUrl, QWidget* owner)
    : QDialog(owner,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                  Qt::MSWindowsFixedSizeDialogHint),
      langOffset_(langOffset),
      helpPath_(std::move(helpPath)),
      help_(help),
      openUrl_(std::move(openUrl)) {
  initResources();
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(localText(kCaption, langOffset));
  QFont face = font();
  face.setPixelSize(11);  // 8 points at 96 dpi, the size the layout was drawn in
  setFont(face);
  const DialogBaseUnits base = dialogBaseUnits(face);
  const auto place = [&](QWidget* w, const char* name, int x, int y, int width, int height) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(fromDialogUnits(QRect(x, y, width, height), base));
  };
  setFixedSize(fromDialogUnits(QRect(0, 0, 240, 150), base).size());

  const auto frame = [&](const char* name, int x, int y, int width, int height) {
    auto* f = new QFrame(this);
    f->setFrameStyle(QFrame::Box | QFrame::Sunken);  // etched
    place(f, name, x, y, width, height);
  };
  const auto label = [&](const char* name, const QString& text, int x, int y, int width,
                         int height) {
    auto* l = new QLabel(this);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    l->setWordWrap(true);
    l->setText(text);
    place(l, name, x, y, width, height);
    return l;
  };
  const auto button = [&](const char* name, const QString& text, int x, int y, int width,
                          int height) {
    auto* b = new QPushButton(text, this);
    b->setAutoDefault(false);
    place(b, name, x, y, width, height);
    return b;
  };

  frame("frame1", 9, 4, 180, 52);
  label("ctl110", localText(kTitle, langOffset), 13, 9, 171, 19);
  QLabel* version = label("ctl112", QString::fromStdString(core::versionText(langOffset)), 15,
                          33, 169, 20);
  version->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  version->setAlignment(Qt::AlignCenter);
  frame("frame2", 9, 63, 180, 66);
  label("ctl111", localText(kMaker, langOffset), 15, 67, 168, 42);

  QPushButton* mail = button("ctl113", localText(kSendMail, langOffset), 16, 112, 80, 12);
  connect(mail, &QPushButton::clicked, this, [this] {
    if (openUrl_) openUrl_(QUrl(QString::fromStdString(core::supportMailUrl())));
  });
  QPushButton* site = button("ctl114", localText(kVisitSite, langOffset), 104, 112, 80, 12);
  connect(site, &QPushButton::clicked, this, [this] {
    if (openUrl_) openUrl_(QUrl(QString::fromUtf8(core::kWebSite.data(), core::kWebSite.size())));
  });

  QPushButton* helpButton = button("ctl141", QString(), 197, 5, 38, 36);
  helpButton->setIcon(QIcon(QStringLiteral(":/vexilo/about.png")));
  helpButton->setIconSize(helpButton->size() - QSize(6, 6));
  helpButton->setToolTip(localText(kHelpTip, langOffset));
  connect(helpButton, &QPushButton::clicked, this, [this] {
    if (!helpPath_.empty()) help_.showContext(helpPath_, core::kAboutHelpContext + langOffset_);
  });

  QPushButton* ok = button("ctl101", localText(kOkText, langOffset), 155, 133, 80, 14);
  ok->setDefault(true);
  ok->setFocus();
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutBox::run(const QRect& ownerRect, const QSize& screen) {
  ownerRect_ = ownerRect;
  screen_ = screen;
  exec();
}

void AboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Placed once shown, when the size of the frame around it is known.
  if (screen_.isValid()) move(centredOver(ownerRect_, frameGeometry().size(), screen_));
}

}  // namespace vexilo::ui
