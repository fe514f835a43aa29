#pragma once

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/colour.h"
#include "model/font.h"
#include "model/ini_text.h"

namespace xyla {

// The user-defaults store: typed values in an INI file, spelled as the desktop toolkit's
// settings class spells them, so files written by earlier versions read back the same.
// Keys are the fixed names the dialogs and operations use ("BLineWidth", "ImportSep",
// ...). Every getter answers nothing when the key is absent or holds something of
// another kind. Changes stay in memory until sync() (or the destructor) writes them;
// sync() first reads the file again under a lock, so two stores (or two programs)
// writing different keys of one file keep each other's values.
class Settings {
 public:
  // Opens the store kept in an INI file at `path` (tests use a fresh temporary file).
  explicit Settings(const std::string& path);
  // Opens the user's own store: $XDG_CONFIG_HOME/Xyla/Xyla.ini (~/.config when that is
  // not set), falling back for keys it lacks on ~/.config/Xyla.ini and the same two
  // files under /etc/xdg.
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
  // Writes pending changes to the file, merged with what others wrote meanwhile, and
  // reads back what others wrote.
  void sync();
  // The file this store writes.
  const std::string& path() const { return path_; }

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
  // The value of `key`: pending changes, then the file, then the fallback files.
  const ini::IniValue* find(const std::string& key) const;
  std::optional<std::string> text(const std::string& key) const;
  void set(const std::string& key, ini::IniValue value);
  void load();

  std::string path_;
  std::array<long long, 4> loaded_{};  // device, inode, size and time of the file read
  std::vector<std::string> fallbackPaths_;
  ini::IniEntries entries_;                                      // the file as last read
  std::vector<ini::IniEntries> fallbacks_;                       // read-only, first wins
  std::map<std::string, std::optional<ini::IniValue>> pending_;  // nullopt: removed
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
