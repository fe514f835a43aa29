#include "model/settings.h"

#include <QSettings>
#include <QStringList>

namespace xyla {

namespace {

Settings* g_standard = nullptr;

QString qkey(const std::string& key) { return QString::fromStdString(key); }

}  // namespace

Settings::Settings(const std::string& path)
    : store_(std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat)) {}

Settings::Settings() : store_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Xyla", "Xyla")) {}

Settings::~Settings() {
  if (g_standard == this) g_standard = nullptr;
}

Settings* Settings::standard() { return g_standard; }

Settings* Settings::setStandard(Settings* s) {
  Settings* previous = g_standard;
  g_standard = s;
  return previous;
}

bool Settings::contains(const std::string& key) const { return store_->contains(qkey(key)); }

void Settings::remove(const std::string& key) { store_->remove(qkey(key)); }

void Settings::sync() { store_->sync(); }

std::optional<int> Settings::getInt(const std::string& key) const {
  if (!contains(key)) return std::nullopt;
  bool ok = false;
  const int v = store_->value(qkey(key)).toInt(&ok);
  if (!ok) return std::nullopt;
  return v;
}

std::optional<double> Settings::getDouble(const std::string& key) const {
  if (!contains(key)) return std::nullopt;
  bool ok = false;
  const double v = store_->value(qkey(key)).toDouble(&ok);
  if (!ok) return std::nullopt;
  return v;
}

std::optional<double> Settings::getFloat(const std::string& key) const {
  const auto v = getDouble(key);
  if (!v) return std::nullopt;
  return static_cast<double>(static_cast<float>(*v));
}

std::optional<bool> Settings::getBool(const std::string& key) const {
  if (!contains(key)) return std::nullopt;
  const QVariant v = store_->value(qkey(key));
  const QString s = v.toString().trimmed().toLower();
  if (s == "true" || s == "1" || s == "yes") return true;
  if (s == "false" || s == "0" || s == "no") return false;
  return std::nullopt;
}

std::optional<std::string> Settings::getString(const std::string& key) const {
  if (!contains(key)) return std::nullopt;
  return store_->value(qkey(key)).toString().toStdString();
}

std::optional<std::vector<std::string>> Settings::getStringList(const std::string& key) const {
  if (!contains(key)) return std::nullopt;
  std::vector<std::string> out;
  for (const QString& s : store_->value(qkey(key)).toStringList()) out.push_back(s.toStdString());
  return out;
}

// Colours are kept as "r g b a" with each component in 0..1, readable in the INI file.
std::optional<Colour> Settings::getColour(const std::string& key) const {
  const auto text = getString(key);
  if (!text) return std::nullopt;
  const QStringList parts = QString::fromStdString(*text).split(' ', Qt::SkipEmptyParts);
  if (parts.size() != 4) return std::nullopt;
  double c[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    c[i] = parts[i].toDouble(&ok);
    if (!ok) return std::nullopt;
  }
  return Colour{c[0], c[1], c[2], c[3]};
}

void Settings::setInt(const std::string& key, int value) { store_->setValue(qkey(key), value); }

void Settings::setDouble(const std::string& key, double value) { store_->setValue(qkey(key), value); }

void Settings::setFloat(const std::string& key, float value) {
  store_->setValue(qkey(key), static_cast<double>(value));
}

void Settings::setBool(const std::string& key, bool value) { store_->setValue(qkey(key), value); }

void Settings::setString(const std::string& key, const std::string& value) {
  store_->setValue(qkey(key), QString::fromStdString(value));
}

void Settings::setStringList(const std::string& key, const std::vector<std::string>& value) {
  QStringList list;
  for (const std::string& s : value) list << QString::fromStdString(s);
  store_->setValue(qkey(key), list);
}

void Settings::setColour(const std::string& key, const Colour& value) {
  const QString text = QString("%1 %2 %3 %4")
                           .arg(value.r, 0, 'g', 17)
                           .arg(value.g, 0, 'g', 17)
                           .arg(value.b, 0, 'g', 17)
                           .arg(value.a, 0, 'g', 17);
  store_->setValue(qkey(key), text);
}

}  // namespace xyla
