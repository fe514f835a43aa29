// The batch command line as a whole: the input chooses a macro of real commands (taken
// from the command table) with arguments drawn from pools of ordinary, extreme and
// malformed values, and the macro runs the way `xyla -i data.txt -m job.mac -f out -q`
// runs it, on the measured C 1s spectrum, in a folder of its own. Each run happens in
// a child process with a time limit: a crash, a sanitizer report or a run that does not
// end in time stops the fuzzer, which keeps the input. XYLA_FUZZ_PRINT=1 prints each
// macro on standard error.
#include <QGuiApplication>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/application.h"
#include "app/command_line.h"
#include "app/console_ui.h"
#include "macro/command_table.h"
#include "model/settings.h"

namespace {

namespace fs = std::filesystem;

// Generous for a sanitized build: the slowest honest macro of ten commands on the
// spectrum takes well under a second.
constexpr auto kTimeLimit = std::chrono::seconds(20);
constexpr int kMaxCommands = 12;

class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return pos_ >= size_; }
  unsigned next() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::size_t pick(std::size_t n) { return n ? (next() << 8 | next()) % n : 0; }
  // A short word of the input's own printable bytes (no quotes, no line breaks).
  std::string word() {
    std::string w;
    for (std::size_t n = next() % 12; n > 0 && !empty(); --n) {
      const char c = static_cast<char>(32 + next() % 95);
      if (c != '\'' && c != '"' && c != ' ') w += c;
    }
    return w;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

const std::vector<std::string> kNumbers = {
    "0",  "1",  "2",  "3",  "-1", "0.5", "4",  "10", "100", "284.5", "1900", "-3.25", "15", "16", "24",
    "25", "nb", "cb", "nb-1", "l", "lx", "ly", "xmin1", "xmax1", "ymax1", "windowwidth", "fitok", "yes", "no",
    "2147483647", "-2147483648", "-2147483649", "10^9", "10^300", "-10^300", "0.001", "286.2", "1850"};
// Numbers that stop the run: a macro is mostly made of good ones, so it gets far.
const std::vector<std::string> kBadNumbers = {"1e9", "1/0", "0/0", "r0", "x", "(", "", "1,5"};
const std::vector<std::string> kBuffers = {"all", "none", "visible", "hidden", "selected", "unselected",
                                           "0",   "1",    "2",       "0..2",   "2..0",     "0,0,1",
                                           "nb-1", "-1",  "99999999999..-99999999999", "a,b"};
const std::vector<std::string> kAxes = {"all", "x", "y", "1", "2", "3", "4", "0", "5", "nb"};
// Loops run for as long as their range says; the pool keeps them short.
const std::vector<std::string> kRanges = {"3", "2..0", "0:1:0.25", "1,5,9", "nb", "0:1:0", "0..20", "..", ":::", ","};
const std::vector<std::string> kTexts = {
    "", "a", "Helvetica", "Arial", "No Such Font", "GL", "DS", "GL*", "ET", "B*e^(-((x-A)/C)^2)", "284.5~",
    "282~0.5", "900~", "1.2~", "1+0", "1*0.3", "0.3", "out.png", "out.pdf", "out.eps", "out.jpg", "out.svg",
    "doc.xyla", "sub/doc.xyla", "data.txt", "missing.xyla", "/dev/full", "fifo", "nowhere/x.png", "%5.2f",
    "%s %n", "%2147483647f", "%.3e|%g", "$file", "$date", "a\\nb", "x*2", "y+1", "e", "pi", ",", "==", "eq",
    "<", "+", "/", "%H:%M", "1,2"};

// One argument for a signature letter.
std::string argument(Bytes& in, char letter) {
  switch (in.next() % 16 == 0 ? 'w' : letter) {
    case 'd':
    case 'i':
      return in.next() % 10 == 0 ? kBadNumbers[in.pick(kBadNumbers.size())] : kNumbers[in.pick(kNumbers.size())];
    case 'b': return kBuffers[in.pick(kBuffers.size())];
    case 'a': return kAxes[in.pick(kAxes.size())];
    case 'r': return kRanges[in.pick(kRanges.size())];
    case 'u': return in.next() % 2 ? kNumbers[in.pick(kNumbers.size())] : kTexts[in.pick(kTexts.size())];
    case 's': return kTexts[in.pick(kTexts.size())];
    default: return in.word();
  }
}

std::string quoted(const std::string& token) { return "'" + token + "'"; }

std::string macroFrom(Bytes& in) {
  const std::vector<const xyla::CommandEntry*> entries = xyla::CommandTable::standard().entries();
  std::string text;
  for (int n = 0; n < kMaxCommands && !in.empty(); ++n) {
    const xyla::CommandEntry& e = *entries[in.pick(entries.size())];
    std::string line = e.name;
    if (e.name == "sleep") {
      line += " 0.001";  // a pause is no fault
    } else {
      const std::string signature = e.signature == std::string(1, xyla::kAnyTexts) ? "sssss" : e.signature;
      // Mostly a count the command takes, sometimes any.
      const std::size_t minimum = std::min<std::size_t>(static_cast<std::size_t>(e.minimum), signature.size());
      const std::size_t count = in.next() % 8 == 0 ? in.next() % (signature.size() + 2)
                                                   : minimum + in.next() % (signature.size() - minimum + 1);
      for (std::size_t p = 0; p < count; ++p) line += " " + quoted(argument(in, p < signature.size() ? signature[p] : 's'));
    }
    text += line + (in.next() % 4 == 0 ? " : " : "\n");
  }
  return text;
}

// The child: the batch steps on a fresh application in `folder`; stdout is discarded,
// stderr stays for sanitizer reports.
[[noreturn]] void runChild(const fs::path& folder) {
  const int null = ::open("/dev/null", O_WRONLY);
  if (null >= 0) ::dup2(null, STDOUT_FILENO);
  if (::chdir(folder.c_str()) != 0) ::_exit(0);
  {
    xyla::Settings settings((folder / "settings.ini").string());
    xyla::ScopedStandardSettings standard(&settings);
    std::ostringstream quiet;
    xyla::ConsoleUi ui(quiet);
    xyla::Application app(ui);
    app.newDocument();
    xyla::CommandLine cl;
    cl.importFile = "data.txt";
    cl.macroFile = "job.mac";
    cl.fileName = "out";
    cl.quit = true;
    std::ostringstream out, err;
    app.runCommandLine(cl, out, err);
  }
  ::_exit(0);
}

std::string spectrum;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QGuiApplication app(*argc, *argv);
  std::ifstream in(XYLA_DEMO_SPECTRUM, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  spectrum = s.str();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bytes in(data, size);
  const std::string macro = macroFrom(in);
  if (std::getenv("XYLA_FUZZ_PRINT")) std::cerr << "---- macro\n" << macro << std::flush;

  char pattern[] = "/tmp/xyla-fuzz-batch-XXXXXX";
  if (!::mkdtemp(pattern)) return 0;
  const fs::path folder(pattern);
  std::ofstream(folder / "job.mac", std::ios::binary) << macro;
  std::ofstream(folder / "data.txt", std::ios::binary) << spectrum;
  fs::create_directory(folder / "sub");
  ::mkfifo((folder / "fifo").c_str(), 0600);

  std::cout.flush();
  std::cerr.flush();
  const pid_t pid = ::fork();
  if (pid == 0) runChild(folder);
  int status = 0;
  bool finished = false;
  const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  while (pid > 0 && std::chrono::steady_clock::now() < deadline) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      finished = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (pid > 0 && !finished) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
  }
  std::error_code ec;
  fs::remove_all(folder, ec);
  if (pid > 0 && (!finished || !WIFEXITED(status) || WEXITSTATUS(status) != 0)) {
    std::cerr << (finished ? "==== the batch run crashed" : "==== the batch run did not end in time")
              << " (status " << status << ") on this macro:\n"
              << macro << std::flush;
    std::abort();
  }
  return 0;
}
