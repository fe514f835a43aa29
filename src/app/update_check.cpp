#include "app/update_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

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
  // Opening does not wait (a FIFO would wait for a writer), and only a regular file is read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return "";
  struct stat st {};
  std::string text;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    text.resize(256);  // a short text is enough
    const ssize_t n = ::read(fd, text.data(), text.size());
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  }
  ::close(fd);
  return text;
}

std::shared_future<std::string> readVersionTextInBackground(const std::string& location) {
  auto promise = std::make_shared<std::promise<std::string>>();
  std::shared_future<std::string> text = promise->get_future().share();
  // The thread owns what it uses: a read that hangs (a dead network mount) may outlive
  // whoever asked, who has stopped waiting by then.
  std::thread([promise, location] { promise->set_value(readVersionText(location)); }).detach();
  return text;
}

void reportUpdate(Ui& ui, double current, double newest, bool quiet, const std::string& downloadPage) {
  if (newest > current) {
    char message[160];
    std::snprintf(message, sizeof message, "This version: %g\nCurrent version: %g", current, newest);
    if (ui.alert("A new Xyla version is available", message, {"Goto Download Page", "Later"}) == 0 &&
        !downloadPage.empty())
      ui.openUrl(downloadPage);
  } else if (!quiet) {
    ui.alert("Update check", "Your version of Xyla is up to date", {"Ok"});
  }
}

std::string updateCheckLocation() {
  Settings* s = Settings::standard();
  return s ? s->getString("UpdateCheckLocation").value_or("") : "";
}

std::string updateDownloadPage() {
  Settings* s = Settings::standard();
  return s ? s->getString("UpdateDownloadPage").value_or("") : "";
}

void checkForUpdates(Ui& ui, bool quiet, double timeLimit) {
  const std::string location = updateCheckLocation();
  double newest = 0.0;
  if (!location.empty()) {
    const std::shared_future<std::string> text = readVersionTextInBackground(location);
    if (text.wait_for(std::chrono::duration<double>(timeLimit)) == std::future_status::ready)
      newest = versionFromText(text.get());
  }
  reportUpdate(ui, programVersion(), newest, quiet, updateDownloadPage());
}

}  // namespace xyla
