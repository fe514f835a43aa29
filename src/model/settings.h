#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/colour.h"
#include "model/font.h"

class QSettings;

namespace xyla {

// The user-defaults store: a thin typed wrapper over QSettings. Keys are the fixed
// names the dialogs and operations use ("BLineWidth", "ImportSep", ...). Every getter
// answers nothing when the key is absent or holds something of another kind.
class Settings {
 public:
  // Opens the store kept in an INI file at `path` (tests use a fresh temporary file).
  explicit Settings(const std::string& path);
  // Opens the user's own store in the platform's usual place.
  Settings();
  ~Settings();
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;

  // The store that operations read their defaults from; null when none is installed.
  static Settings* standard();
  // Installs `s` as the standard store (null removes it) and answers the previous one.
  static Settings* setStandard(Settings* s);

  bool contains(const std::string& key) const;
  void remove(const std::string& key);
  // Writes pending changes to the file.
  void sync();

  std::optional<int> getInt(const std::string& key) const;
  std::optional<double> getDouble(const std::string& key) const;
  // Single-precision values, widened to double when read.
  std::optional<double> getFloat(const std::string& key) const;
  std::optional<bool> getBool(const std::string& key) const;
  std::optional<std::string> getString(const std::string& key) const;
  std::optional<Colour> getColour(const std::string& key) const;
  // A list of texts (an empty list is stored as such, not as a missing key).
  std::optional<std::vector<std::string>> getStringList(const std::string& key) const;

  void setInt(const std::string& key, int value);
  void setDouble(const std::string& key, double value);
  void setFloat(const std::string& key, float value);
  void setBool(const std::string& key, bool value);
  void setString(const std::string& key, const std::string& value);
  void setColour(const std::string& key, const Colour& value);
  void setStringList(const std::string& key, const std::vector<std::string>& value);

 private:
  std::unique_ptr<QSettings> store_;
};

// Installs a settings store as the standard one for the lifetime of this object and
// puts the previous one back afterwards.
class ScopedStandardSettings {
 public:
  explicit ScopedStandardSettings(Settings* s) : previous_(Settings::setStandard(s)) {}
  ~ScopedStandardSettings() { Settings::setStandard(previous_); }
  ScopedStandardSettings(const ScopedStandardSettings&) = delete;
  ScopedStandardSettings& operator=(const ScopedStandardSettings&) = delete;

 private:
  Settings* previous_;
};

}  // namespace xyla
