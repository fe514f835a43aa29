// The Perl bridge: Perl-type macros run as filters on buffers or as imports of files.
// The macro's code is wrapped between the shipped pieces (pfpre.pl or pipre.pl before,
// pipost.pl after) into a script in a private temporary directory, which /usr/bin/perl
// runs with the buffers and variables on its standard input; the new buffers and
// variables come back on its standard output.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "io/import_report.h"
#include "macro/macro.h"
#include "macro/macro_controller.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/ui.h"
#include "model/utf8_text.h"
#include "model/xyla_document.h"
#include "outside/child_process.h"
#include "outside/perl_protocol.h"
#include "outside/private_directory.h"
#include "outside/resources.h"

namespace xyla {

namespace {

std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The log of a run: whole when it is small, else its first and last two megabytes with a
// note of what lies between. The wrapper keeps what the script prints to a megabyte at
// either end already; this catches what reaches the log past it (a program the script
// starts writing to standard error without end).
std::string readLog(const std::string& path) {
  constexpr std::streamoff kPart = 2 << 20;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  const std::streamoff size = in ? std::streamoff(in.tellg()) : 0;
  if (size <= 2 * kPart) return readWhole(path);
  std::string head(std::size_t(kPart), '\0'), tail(std::size_t(kPart), '\0');
  in.seekg(0);
  in.read(head.data(), kPart);
  in.seekg(size - kPart);
  in.read(tail.data(), kPart);
  return head + "\n[... " + std::to_string(size - 2 * kPart) + " bytes of the log left out ...]\n" + tail;
}

// The first `n` characters of UTF-8 text (invalid bytes become replacement characters).
std::string firstCharacters(const std::string& text, int n) {
  const std::u16string units = utf16FromUtf8(text);
  return utf8FromUtf16(n < 0 ? std::u16string_view(units)
                             : std::u16string_view(units).substr(0, static_cast<std::size_t>(n)));
}

}  // namespace

void Macro::perlFilter() {
  if (!M || !PD) return;
  perlFilter(std::vector<int>(M->selection().begin(), M->selection().end()));
}

void Macro::perlImport() {
  if (!M || !PD) return;
  Settings* s = Settings::standard();
  const std::string folder = s ? s->getString("PATH").value_or("") : "";
  const std::vector<std::string> files = M->ui().openPanel("Perl Import", folder, false);
  if (files.empty()) return;
  if (s) {
    const std::size_t slash = files[0].find_last_of('/');
    s->setString("PATH", slash == std::string::npos ? std::string() : files[0].substr(0, slash));
    s->sync();
  }
  perlImport(files[0]);
}

void Macro::perlFilterFromMacro(Manager& m, MacroController* host, const std::vector<int>& indexes) {
  M = &m;
  MC = host;
  PD = m.PD;
  if (type == 2 && PD) perlFilter(indexes);
}

void Macro::perlImportFromMacro(Manager& m, MacroController* host, const std::string& path) {
  M = &m;
  MC = host;
  PD = m.PD;
  if (type == 1 && PD) perlImport(path);
}

void Macro::perlFilter(const std::vector<int>& indexes) {
  if (!M || !PD) return;
  std::vector<int> sorted = indexes;
  std::sort(sorted.begin(), sorted.end());
  std::vector<const DataBuffer*> buffers;
  for (int i : sorted)
    if (const DataBuffer* b = PD->buffer(i)) buffers.push_back(b);
  std::string input = outside::filterInput(buffers);
  sendVariables(input);
  runPerl("pfpre.pl", {}, std::move(input), "Perl Filter");
}

void Macro::perlImport(const std::string& path) {
  if (!M || !PD) return;
  std::string input;
  sendVariables(input);
  runPerl("pipre.pl", {path}, std::move(input), "Perl Import");
}

void Macro::sendVariables(std::string& data) const {
  if (M) outside::appendVariables(data, M->GV, M->SV);
}

void Macro::runPerl(const std::string& pre, const std::vector<std::string>& arguments, std::string input,
                    const std::string& title) {
  const std::string prePath = outside::findResource(pre), postPath = outside::findResource("pipost.pl");
  outside::PrivateDirectory dir;
  if (prePath.empty() || postPath.empty() || !dir.ok()) {
    print("perl: the wrapper scripts " + pre + " and pipost.pl were not found\n");
    return;
  }
  // The script: the wrapper's bytes, the macro's code, the closing wrapper's bytes.
  std::string script = readWhole(prePath);
  // Perl's messages count the lines of the macro's own code, under the macro's name.
  std::string label = name.empty() ? std::string("macro") : name;
  for (char& c : label)
    if (c == '"' || c == '\n' || c == '\r') c = '\'';
  script += "\n#line 1 \"" + label + "\"\n" + src + "\n" + readWhole(postPath);
  if (!dir.write("script.pl", script)) {
    print("perl: the temporary script could not be written\n");
    return;
  }
  const std::string scriptPath = dir.file("script.pl"), logPath = scriptPath + ".log";
  outside::ChildRun run;
  run.program = outside::kPerl;
  run.arguments.push_back(scriptPath);
  run.arguments.insert(run.arguments.end(), arguments.begin(), arguments.end());
  run.arguments.push_back(logPath);
  run.environment.emplace_back("PERL5LIB", outside::perlLibraryPath());
  run.input = std::move(input);
  run.timeLimit = outside::batchTimeLimit();
  Ui& ui = M->ui();
  run.host = &ui;
  ui.beginProgress(title, "Running the Perl macro " + name);
  // A result too large for the memory leaves the document as it was.
  readWithinMemory(*PD, &ui, "the result of the Perl macro " + name, [&] {
    const outside::ChildResult r = outside::runChild(run);
    if (r.ending != outside::ChildEnding::Exited) {
      print("perl: " + outside::describeEnding(r) + "\n");
      return;
    }
    parsePerlResult(r.exitStatus, r.output, "", logPath);
  });
  ui.endProgress();
}

void Macro::parsePerlResult(int status, const std::string& output, const std::string& comment,
                            const std::string& logPath) {
  if (status != 0) {
    print("exit code: " + std::to_string(status) + "\n");
    print(firstCharacters(output, 1000) + " ");
    return;
  }
  if (!output.empty() && PD) {
    outside::PerlResult result;
    std::string error;
    if (!outside::readPerlResult(output, comment, result, error)) {
      print("perl: the result was refused (" + error + ")\n");
    } else {
      for (auto& b : result.buffers) PD->appendBuffer(std::move(b));
      for (const auto& [key, value] : result.numeric) M->GV[key] = value;
      for (const auto& [key, value] : result.strings) M->SV[key] = value;
      PD->rescale(true, 0);
      PD->replot();
    }
  }
  const std::string log = readLog(logPath);
  if (!log.empty()) print(log);
}

}  // namespace xyla
