#include "ui/message_box.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include <utility>

#include "core/string_table.h"
#include "ui/resources.h"

namespace vexilo::ui {
namespace {

constexpr int kInfoHelpContext = 1001;
constexpr int kQuestionHelpContext = 1003;
constexpr int kYesText = 1043;
constexpr int kNoText = 1044;
constexpr int kHelpTip = 1047;
constexpr int kCloseText = 1048;

QString localText(int id, int langOffset) {
  return QString::fromStdString(core::loadLocalString(id, langOffset));
}

// The style's icon of each kind, and the name the icon label carries as its "kind".
struct KindIcon {
  QStyle::StandardPixmap pixmap;
  const char* name;
};

KindIcon kindIcon(MessageBox::Kind kind) {
  switch (kind) {
    case MessageBox::Kind::Warning: return {QStyle::SP_MessageBoxWarning, "warning"};
    case MessageBox::Kind::Error: return {QStyle::SP_MessageBoxCritical, "error"};
    case MessageBox::Kind::Question: return {QStyle::SP_MessageBoxQuestion, "question"};
    case MessageBox::Kind::Info: break;
  }
  return {QStyle::SP_MessageBoxInformation, "information"};
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, int x) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(x, 146, 120, 22);
  return button;
}

}  // namespace

MessageBox::MessageBox(Kind kind, const std::string& text, int langOffset, std::string helpPath,
                       core::HelpViewer& help, QWidget* owner)
    : QDialog(owner,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                  Qt::MSWindowsFixedSizeDialogHint),
      kind_(kind),
      langOffset_(langOffset),
      helpPath_(std::move(helpPath)),
      help_(help) {
  initResources();
  setWindowTitle(QStringLiteral("Vexilo"));
  setFixedSize(332, 173);

  auto* helpButton = new QToolButton(this);
  helpButton->setObjectName(QStringLiteral("Aide"));
  helpButton->setGeometry(269, 5, 58, 58);
  helpButton->setAutoRaise(true);
  helpButton->setIcon(QIcon(QStringLiteral(":/vexilo/about.png")));
  helpButton->setIconSize(QSize(52, 52));
  helpButton->setToolTip(localText(kHelpTip, langOffset));
  connect(helpButton, &QToolButton::clicked, this, &MessageBox::showHelp);

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setGeometry(6, 5, 257, 136);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);

  // Plain text: a path holding "<" or "&" is shown as it is, line feeds break lines. A text too
  // long for the label is clipped by the label, never shortened here.
  auto* message = new QLabel(panel);
  message->setObjectName(QStringLiteral("MessText"));
  message->setGeometry(9, 10, 240, 116);
  message->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  message->setTextFormat(Qt::PlainText);
  message->setAlignment(Qt::AlignCenter);
  message->setWordWrap(true);
  message->setText(QString::fromStdString(text));

  // In the free column below the help button, so the text keeps its whole panel.
  const KindIcon icon = kindIcon(kind);
  auto* iconLabel = new QLabel(this);
  iconLabel->setObjectName(QStringLiteral("MessIcon"));
  iconLabel->setGeometry(269, 75, 58, 58);
  iconLabel->setAlignment(Qt::AlignCenter);
  const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  iconLabel->setPixmap(style()->standardIcon(icon.pixmap, nullptr, this).pixmap(QSize(iconSize, iconSize)));
  iconLabel->setProperty("kind", QString::fromLatin1(icon.name));

  QPushButton* defaultButton = nullptr;
  if (kind != Kind::Question) {
    defaultButton = makeButton(this, "MessFermer", localText(kCloseText, langOffset), 208);
    connect(defaultButton, &QPushButton::clicked, this, &QDialog::accept);
  } else {
    defaultButton = makeButton(this, "MessOui", localText(kYesText, langOffset), 80);
    auto* no = makeButton(this, "MessNon", localText(kNoText, langOffset), 208);
    connect(defaultButton, &QPushButton::clicked, this, &QDialog::accept);
    // Esc and the close box end through reject() as well.
    connect(no, &QPushButton::clicked, this, &QDialog::reject);
  }
  defaultButton->setDefault(true);
  defaultButton->setFocus();
}

bool MessageBox::run() {
  const bool accepted = exec() == QDialog::Accepted;
  return kind_ == Kind::Question && accepted;
}

void MessageBox::showHelp() {
  if (helpPath_.empty()) return;
  const int context = kind_ == Kind::Question ? kQuestionHelpContext : kInfoHelpContext;
  help_.showContext(helpPath_, context + langOffset_);
}

}  // namespace vexilo::ui
