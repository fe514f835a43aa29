#include "model/settings.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "model/file_bytes.h"
#include "model/replacing_file.h"

namespace xyla {

namespace {

Settings* g_standard = nullptr;

constexpr std::size_t kLargestFile = 64u << 20;
// A lock older than this was left by a program that hung or died on another machine.
constexpr auto kStaleLock = std::chrono::seconds(30);

// The folder of the user's configuration files.
std::string userConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  std::string folder = home && *home ? home : "";
  if (folder.empty())
    if (const passwd* pw = ::getpwuid(::getuid())) folder = pw->pw_dir;
  return folder + "/.config";
}

// Only one writer at a time: "<file>.lock" holds the writer's process id, host and
// program, and the writer holds a lock on it while it lives, so a lock file left by a
// killed writer is recognised and taken over.
class FileLock {
 public:
  explicit FileLock(const std::string& file) : path_(file + ".lock") {
    const auto start = std::chrono::steady_clock::now();
    while (!tryCreate()) {
      if (errno != EEXIST) return;  // a folder we cannot write: go on without the lock
      if (isStale() || std::chrono::steady_clock::now() - start > kStaleLock) {
        ::unlink(path_.c_str());
        continue;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  ~FileLock() {
    if (fd_ < 0) return;
    ::unlink(path_.c_str());
    ::close(fd_);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  bool tryCreate() {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ < 0) return false;
    char host[HOST_NAME_MAX + 1] = "";
    ::gethostname(host, sizeof host - 1);
    const std::string text = std::to_string(::getpid()) + "\nxyla\n" + host + "\n";
    if (::write(fd_, text.data(), text.size()) < 0) {
      // An empty lock file still excludes other writers.
    }
    ::flock(fd_, LOCK_EX | LOCK_NB);
    return true;
  }

  // A lock file nobody holds whose process is gone, or one that is too old.
  bool isStale() const {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;  // just removed: try again
    struct stat st {};
    const bool old =
        ::fstat(fd, &st) == 0 &&
        std::chrono::system_clock::now() - std::chrono::system_clock::from_time_t(st.st_mtime) > kStaleLock;
    char text[64] = "";
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    const bool unheld = ::flock(fd, LOCK_SH | LOCK_NB) == 0;
    ::close(fd);
    if (old) return true;
    const long pid = n > 0 ? std::strtol(text, nullptr, 10) : 0;
    return unheld && pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
  }

  std::string path_;
  int fd_ = -1;
};

// Which file is at `path` and when it was written; all -1 when there is none.
std::array<long long, 4> identityOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {-1, -1, -1, -1};
  return {static_cast<long long>(st.st_dev), static_cast<long long>(st.st_ino), static_cast<long long>(st.st_size),
          st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
}

ini::IniEntries readEntries(const std::string& path, const std::array<long long, 4>& identity) {
  if (identity[0] < 0) return {};  // no file: nothing to read (and no message to make)
  std::string error;
  const auto bytes = readFileBytes(path, kLargestFile, error);
  return bytes ? ini::parseIni(*bytes) : ini::IniEntries{};
}

std::string_view trimmedNumber(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  if (s.size() > 1 && s.front() == '+' && s[1] != '-' && s[1] != '+') s.remove_prefix(1);
  return s;
}

// The whole text as a number of type T (spaces around and a leading plus allowed).
template <class T>
std::optional<T> wholeNumber(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  const std::string_view s = trimmedNumber(*text);
  T v{};
  const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
  if (res.ec != std::errc() || res.ptr != s.data() + s.size() || s.empty()) return std::nullopt;
  return v;
}

}  // namespace

Settings::Settings(const std::string& path) : path_(path) { load(); }

Settings::Settings() {
  const std::string user = userConfigFolder();
  path_ = user + "/Xyla/Xyla.ini";
  fallbackPaths_ = {user + "/Xyla.ini", "/etc/xdg/Xyla/Xyla.ini", "/etc/xdg/Xyla.ini"};
  load();
}

Settings::~Settings() {
  if (!pending_.empty()) sync();
  if (g_standard == this) g_standard = nullptr;
}

void Settings::load() {
  loaded_ = identityOf(path_);
  entries_ = readEntries(path_, loaded_);
  fallbacks_.clear();
  for (const std::string& p : fallbackPaths_) {
    ini::IniEntries e = readEntries(p, identityOf(p));
    if (!e.empty()) fallbacks_.push_back(std::move(e));
  }
}

Settings* Settings::standard() { return g_standard; }

Settings* Settings::setStandard(Settings* s) {
  Settings* previous = g_standard;
  g_standard = s;
  return previous;
}

const ini::IniValue* Settings::find(const std::string& key) const {
  if (const auto p = pending_.find(key); p != pending_.end()) return p->second ? &*p->second : nullptr;
  if (const auto e = entries_.find(key); e != entries_.end()) return &e->second;
  for (const ini::IniEntries& f : fallbacks_)
    if (const auto e = f.find(key); e != f.end()) return &e->second;
  return nullptr;
}

void Settings::set(const std::string& key, ini::IniValue value) { pending_[key] = std::move(value); }

bool Settings::contains(const std::string& key) const { return find(key) != nullptr; }

void Settings::remove(const std::string& key) { pending_[key] = std::nullopt; }

void Settings::sync() {
  if (pending_.empty()) {
    // Read again only what others changed since.
    if (identityOf(path_) != loaded_) load();
    return;
  }
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
  const FileLock lock(path_);
  load();
  for (auto& [key, value] : pending_) {
    if (value)
      entries_[key] = std::move(*value);
    else
      entries_.erase(key);
  }
  pending_.clear();
  std::string error;
  writeFileReplacing(path_, ini::writeIni(entries_), error);
  loaded_ = identityOf(path_);
}

// A text value; lists and empty lists have none, as in files of earlier versions.
std::optional<std::string> Settings::text(const std::string& key) const {
  const ini::IniValue* v = find(key);
  if (!v) return std::nullopt;
  return v->kind == ini::IniValue::Kind::Text ? v->text : std::string();
}

std::optional<int> Settings::getInt(const std::string& key) const { return wholeNumber<int>(text(key)); }

std::optional<double> Settings::getDouble(const std::string& key) const { return wholeNumber<double>(text(key)); }

std::optional<double> Settings::getFloat(const std::string& key) const {
  const auto v = getDouble(key);
  if (!v) return std::nullopt;
  return static_cast<double>(static_cast<float>(*v));
}

std::optional<bool> Settings::getBool(const std::string& key) const {
  const auto t = text(key);
  if (!t) return std::nullopt;
  std::string s(trimmedNumber(*t));
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (s == "true" || s == "1" || s == "yes") return true;
  if (s == "false" || s == "0" || s == "no") return false;
  return std::nullopt;
}

std::optional<std::string> Settings::getString(const std::string& key) const { return text(key); }

std::optional<std::vector<std::string>> Settings::getStringList(const std::string& key) const {
  const ini::IniValue* v = find(key);
  if (!v) return std::nullopt;
  switch (v->kind) {
    case ini::IniValue::Kind::Text:
      return std::vector<std::string>{v->text};
    case ini::IniValue::Kind::List:
      return v->list;
    case ini::IniValue::Kind::Empty:
      break;
  }
  return std::vector<std::string>{};
}

// Colours are kept as "r g b a" with each component in 0..1, readable in the INI file.
std::optional<Colour> Settings::getColour(const std::string& key) const {
  const auto t = text(key);
  if (!t) return std::nullopt;
  double c[4];
  int count = 0;
  std::size_t i = 0;
  while (i < t->size()) {
    const std::size_t end = std::min(t->find(' ', i), t->size());
    if (end > i) {
      if (count == 4) return std::nullopt;
      const std::string_view part = trimmedNumber(std::string_view(*t).substr(i, end - i));
      const auto res = std::from_chars(part.data(), part.data() + part.size(), c[count]);
      if (res.ec != std::errc() || res.ptr != part.data() + part.size() || part.empty()) return std::nullopt;
      ++count;
    }
    i = end + 1;
  }
  if (count != 4) return std::nullopt;
  return Colour{c[0], c[1], c[2], c[3]};
}

void Settings::setInt(const std::string& key, int value) { set(key, ini::IniValue::ofText(std::to_string(value))); }

void Settings::setDouble(const std::string& key, double value) {
  set(key, ini::IniValue::ofText(ini::shortestDouble(value)));
}

void Settings::setFloat(const std::string& key, float value) { setDouble(key, static_cast<double>(value)); }

void Settings::setBool(const std::string& key, bool value) {
  set(key, ini::IniValue::ofText(value ? "true" : "false"));
}

void Settings::setString(const std::string& key, const std::string& value) { set(key, ini::IniValue::ofText(value)); }

void Settings::setStringList(const std::string& key, const std::vector<std::string>& value) {
  set(key, ini::IniValue::ofList(value));
}

void Settings::setColour(const std::string& key, const Colour& value) {
  std::string text;
  for (const double c : {value.r, value.g, value.b, value.a}) {
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, c, std::chars_format::general, 17);
    if (!text.empty()) text += ' ';
    text.append(buf, res.ptr);
  }
  set(key, ini::IniValue::ofText(text));
}

}  // namespace xyla
