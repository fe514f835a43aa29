#pragma once

#include <string>

namespace xyla {

class Ui;

// The program's own version as a decimal number.
double programVersion();

// The newest version named by a version text: its leading decimal number; 0 for text
// without one (so a missing file never announces an update).
double versionFromText(const std::string& text);

// Reads the version text at `location`: a local path or a file:// address. Other
// schemes and unreadable files give "" (read as version 0). No network access.
std::string readVersionText(const std::string& location);

// Compares `newest` with `current`. A newer version shows "A new Xyla version is
// available" (its second button, "Later", does nothing; the first opens `downloadPage`
// in the browser when there is one); otherwise, unless `quiet`, "Update check" says the
// version is up to date.
void reportUpdate(Ui& ui, double current, double newest, bool quiet, const std::string& downloadPage);

// The whole check: the location comes from the setting "UpdateCheckLocation" (empty:
// the check is off and says nothing when quiet), the download page from
// "UpdateDownloadPage".
void checkForUpdates(Ui& ui, bool quiet);

}  // namespace xyla
