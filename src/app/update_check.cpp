#include "app/update_check.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/version.h"
#include "model/settings.h"
#include "model/ui.h"

namespace xyla {

double programVersion() { return versionFromText(versionText()); }

double versionFromText(const std::string& text) {
  const char* start = text.c_str();
  char* end = nullptr;
  const double v = std::strtod(start, &end);
  return end == start || !(v > 0) ? 0.0 : v;
}

std::string readVersionText(const std::string& location) {
  std::string path = location;
  if (path.rfind("file://", 0) == 0) path = path.substr(7);
  else if (path.find("://") != std::string::npos) return "";
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  std::string text(256, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));  // a short text is enough
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

void reportUpdate(Ui& ui, double current, double newest, bool quiet, const std::function<void()>& openDownloadPage) {
  if (newest > current) {
    char message[160];
    std::snprintf(message, sizeof message, "This version: %g\nCurrent version: %g", current, newest);
    if (ui.alert("A new Xyla version is available", message, {"Goto Download Page", "Later"}) == 0 &&
        openDownloadPage)
      openDownloadPage();
  } else if (!quiet) {
    ui.alert("Update check", "Your version of Xyla is up to date", {"Ok"});
  }
}

void checkForUpdates(Ui& ui, bool quiet, const std::function<void()>& openDownloadPage) {
  Settings* s = Settings::standard();
  const std::string location = s ? s->getString("UpdateCheckLocation").value_or("") : "";
  const double newest = location.empty() ? 0.0 : versionFromText(readVersionText(location));
  reportUpdate(ui, programVersion(), newest, quiet, openDownloadPage);
}

}  // namespace xyla
