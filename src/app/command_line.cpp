#include "app/command_line.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace xyla {

namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

void readDpi(const std::string& text, CommandLine& cl) {
  int value = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size() || value <= 0) {
    cl.badDpi = true;
    return;
  }
  cl.dpi = value;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string opt = lower(args[i]);
    const bool hasValue = i + 1 < args.size();
    if (opt == "-i" && hasValue) cl.importFile = args[++i];
    else if (opt == "-m" && hasValue) cl.macroFile = args[++i];
    else if (opt == "-f" && hasValue) cl.fileName = args[++i];
    else if (opt == "-q") cl.quit = true;
    else if (opt == "--list") cl.list = true;
    else if (opt == "--export" && hasValue) cl.exportFile = args[++i];
    else if (opt == "--dpi" && hasValue) readDpi(args[++i], cl);
    else if (!args[i].empty() && args[i][0] != '-') cl.documents.push_back(args[i]);
  }
  return cl;
}

}  // namespace xyla
