#include "ui/qsettings_store.h"

#include <QSettings>

namespace vexilo::ui {

namespace {

// QSettings already sits at Software\Korvane\Vexilo: a setting's key becomes a group there.
QString groupOf(std::string_view path) {
  constexpr std::string_view kPrefix = "Software\\Korvane\\Vexilo\\";
  if (path.substr(0, kPrefix.size()) == kPrefix) path.remove_prefix(kPrefix.size());
  QString group = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
  return group.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

// A key's default (unnamed) value; QSettings maps this name onto the registry's default value.
const QString kDefaultName = QStringLiteral("Default");

QSettings open(core::SettingsRoot root) {
  return QSettings(root == core::SettingsRoot::Machine ? QSettings::SystemScope
                                                       : QSettings::UserScope,
                   QStringLiteral("Korvane"), QStringLiteral("Vexilo"));
}

}  // namespace

bool QSettingsStore::openKey(core::SettingsRoot root, std::string_view path) {
#ifndef _WIN32
  // The machine-wide scope is the Windows registry's; on Linux and macOS a desktop program's
  // settings are the user's own, and the system configuration folders are never written.
  if (root == core::SettingsRoot::Machine) return false;
#endif
  QSettings settings = open(root);
  if (!settings.isWritable()) return false;
  if (root == core::SettingsRoot::User) return true;
  // The machine-wide file may exist yet refuse writing: try it for real.
  const QString probe = groupOf(path) + QStringLiteral("/.probe");
  settings.setValue(probe, 1);
  settings.sync();
  const bool ok = settings.status() == QSettings::NoError;
  settings.remove(probe);
  settings.sync();
  return ok;
}

bool QSettingsStore::deleteKey(core::SettingsRoot root, std::string_view path) {
  QSettings settings = open(root);
  settings.remove(groupOf(path));
  settings.sync();
  return settings.status() == QSettings::NoError;
}

std::vector<core::SettingValue> QSettingsStore::values(core::SettingsRoot root,
                                                       std::string_view path) {
  QSettings settings = open(root);
  settings.beginGroup(groupOf(path));
  std::vector<core::SettingValue> out;
  for (const QString& key : settings.childKeys()) {
    core::SettingValue v;
    v.name = key == kDefaultName ? std::string() : key.toStdString();
    v.text = settings.value(key).toString().toStdString();
    out.push_back(std::move(v));
  }
  return out;
}

bool QSettingsStore::writeValue(core::SettingsRoot root, std::string_view path,
                                std::string_view name, std::string_view text) {
  QSettings settings = open(root);
  const QString key = name.empty() ? kDefaultName
                                   : QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  settings.setValue(groupOf(path) + QLatin1Char('/') + key,
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  settings.sync();
  return settings.status() == QSettings::NoError;
}

}  // namespace vexilo::ui
