#pragma once

#include <QTemporaryDir>

#include <memory>
#include <string>

#include "model/settings.h"

namespace xyla::test {

// A fresh user-defaults store in a temporary directory, installed as the standard store
// for the lifetime of the object, so no test sees another's settings or the user's.
class TempSettings {
 public:
  TempSettings()
      : settings_(std::make_unique<Settings>(dir_.filePath("settings.ini").toStdString())),
        scope_(settings_.get()) {}

  Settings& operator*() { return *settings_; }
  Settings* operator->() { return settings_.get(); }
  // A path inside the temporary directory.
  std::string path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }

 private:
  QTemporaryDir dir_;
  std::unique_ptr<Settings> settings_;
  ScopedStandardSettings scope_;
};

}  // namespace xyla::test
