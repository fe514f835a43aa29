#pragma once

#include <future>
#include <string>

namespace xyla {

class Ui;

// The program's own version as a decimal number.
double programVersion();

// The newest version named by a version text: its leading decimal number; 0 for text
// without one (so a missing file never announces an update).
double versionFromText(const std::string& text);

// Reads the version text at `location`: a local path or a file:// address naming a
// regular file (at most 256 bytes are read). Other schemes, FIFOs, devices and
// unreadable files give "" (read as version 0). No network access.
std::string readVersionText(const std::string& location);

// readVersionText on a thread of its own, so that a file on a mount that no longer
// answers never holds up the program; the thread ends by itself whenever the read does.
std::shared_future<std::string> readVersionTextInBackground(const std::string& location);

// Seconds the update check waits for its version file before it gives up quietly.
inline constexpr double kUpdateCheckTimeLimit = 3.0;

// The setting "UpdateCheckLocation" ("" without a store or when the check is off).
std::string updateCheckLocation();

// The setting "UpdateDownloadPage" ("" without a store).
std::string updateDownloadPage();

// Compares `newest` with `current`. A newer version shows "A new Xyla version is
// available" (its second button, "Later", does nothing; the first opens `downloadPage`
// in the browser when there is one); otherwise, unless `quiet`, "Update check" says the
// version is up to date.
void reportUpdate(Ui& ui, double current, double newest, bool quiet, const std::string& downloadPage);

// The whole check: the location comes from the setting "UpdateCheckLocation" (empty:
// the check is off and says nothing when quiet), the download page from
// "UpdateDownloadPage". A version file not read within `timeLimit` seconds counts as
// version 0.
void checkForUpdates(Ui& ui, bool quiet, double timeLimit = kUpdateCheckTimeLimit);

}  // namespace xyla
