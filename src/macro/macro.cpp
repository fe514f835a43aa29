#include "macro/macro.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "expr/builtins.h"
#include "expr/expression.h"
#include "macro/command_table.h"
#include "macro/macro_controller.h"
#include "macro/macro_text.h"
#include "macro/tokenizer.h"
#include "model/manager.h"
#include "model/ui.h"
#include "model/xyla_document.h"
#include "outside/private_directory.h"

namespace xyla {

int truncInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (v <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

Macro::Macro() = default;

Macro::Macro(std::string n, std::string s, int key, int t)
    : name(std::move(n)), src(std::move(s)), shortcut(key), type(t) {}

Macro::~Macro() = default;

bool Macro::loadFromFile(const std::string& path) {
  // A folder opens as a stream on Linux but reads as nothing.
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  if (in.peek() != std::ifstream::traits_type::eof()) text << in.rdbuf();
  if (in.bad()) return false;
  src = text.str();
  return true;
}

void Macro::parseMacro(Manager& m, MacroController* host) { parseMacroFor(m, m.PD, host); }

void Macro::parseMacroFor(Manager& m, XylaDocument* doc, MacroController* host) {
  M = &m;
  MC = host;
  PD = doc;
  if (type == 0) executeMacro();
  else if (type == 1) perlImport();
  else if (type == 2) perlFilter();
}

namespace {

// Removes this run's inline-Perl file and its directory when the run ends, however it ends.
struct InlinePerlFile {
  std::string& path;
  std::unique_ptr<outside::PrivateDirectory>& dir;
  ~InlinePerlFile() {
    dir.reset();
    path.clear();
  }
};

}  // namespace

void Macro::executeMacro() {
  if (running_) {
    // A macro that starts itself again (for example through the macro timer) would
    // never end; the inner start is refused.
    if (M) M->ui().beep();
    return;
  }
  TokenizedMacro tokens = tokenizeMacro(src);
  inlineperl.clear();
  if (!tokens.inlinePerl.empty()) {
    inlineDir_ = std::make_unique<outside::PrivateDirectory>();
    if (inlineDir_->write("inline.pl", tokens.inlinePerl)) inlineperl = inlineDir_->file("inline.pl");
  }
  InlinePerlFile cleanup{inlineperl, inlineDir_};
  CMD = std::move(tokens.commands);
  CMDLINE = std::move(tokens.lines);
  stopLine = 0;
  stopCommand.clear();
  stopMessage.clear();
  clock_ = -1;  // $date and $time are made afresh, in the date format of now
  CANCEL = false;
  LOOPNEXT = false;
  IFMODE = false;
  ERR = 0;
  WARN = true;
  if (!M) return;
  if (!PD || CMD.empty()) {
    M->ui().beep();
    return;
  }
  // Expression built-ins read the target document and report through this controller.
  // Afterwards they read the current document again, as everywhere else (the document
  // they read before may have been closed by the macro).
  Manager* previousManager = expr::calcManager();
  expr::setCalcManager(M);
  running_ = true;
  runCommands();
  running_ = false;
  expr::setCalcManager(previousManager);
  M->calcDocument = M->PD;
  if (PD) PD->replot();
}

void Macro::runCommands() {
  std::size_t pc = 0;
  while (pc < CMD.size()) {
    OK = false;
    M->calcDocument = PD;
    M->reloadBufferTable();
    const std::vector<std::string>& tokens = CMD[pc];
    const bool skipped = IFMODE && !IFCOND && !equalsIgnoringCase(tokens[0], "else") &&
                         !equalsIgnoringCase(tokens[0], "endif");
    if (!skipped) {
      commandError_.clear();
      execute(tokens, static_cast<int>(pc));
      if (!OK) syntaxError(kUnknownCommandMessage, tokens);
      if (ERR > 0) {
        stopLine = pc < CMDLINE.size() ? CMDLINE[pc] : static_cast<int>(pc) + 1;
        stopCommand = renderTokens(tokens);
        stopMessage = commandError_;
        return;
      }
      if (CANCEL) return;
      if (LOOPNEXT) {
        LOOPNEXT = false;
        if (!LOOP.empty()) {
          pc = static_cast<std::size_t>(LOOPSTART) + 1;
          LOOPVAL = LOOP.front();
          LOOP.pop_front();
          continue;
        }
      }
    }
    ++pc;
  }
}

void Macro::execute(const std::vector<std::string>& tokens, int index) {
  if (tokens.empty()) return;
  currentCommand = index;
  for (const CommandEntry* e : CommandTable::standard().entriesNamed(tokens[0])) {
    // Without a target only the commands that make one run ("new", "open").
    if (!PD && e->needsDocument) continue;
    if (!checkArguments(e->signature, e->minimum, tokens)) continue;
    runningEntry = e->name;
    e->action(*this);
  }
}

void Macro::syntaxError(const std::string& format, const std::vector<std::string>& tokens) {
  std::string message = format;
  const std::size_t at = message.find("%@");
  if (at != std::string::npos) message.replace(at, 2, renderTokens(tokens));
  commandError_ = message;
  if (M) M->ui().alert("Syntax Error in Macro", message, {"Ok"});
  ++ERR;
}

void Macro::print(const std::string& text) {
  if (MC) MC->appendConsole(text);
}

namespace {

float unit(double v) {
  if (!(v > 0.0)) return 0.0f;
  return v >= 1.0 ? 1.0f : static_cast<float>(v);
}

Colour fromHsb(float h, float s, float v, float a) {
  const float hh = (h >= 1.0f ? 0.0f : h) * 6.0f;
  const int sector = static_cast<int>(hh);
  const float f = hh - static_cast<float>(sector);
  const float p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  float r = v, g = t, b = p;
  switch (sector) {
    case 1: r = q; g = v; b = p; break;
    case 2: r = p; g = v; b = t; break;
    case 3: r = p; g = q; b = v; break;
    case 4: r = t; g = p; b = v; break;
    case 5: r = v; g = p; b = q; break;
    default: break;
  }
  return {r, g, b, a};
}

}  // namespace

Colour Macro::getColor(double c1, double c2, double c3, double alpha) const {
  const float a = unit(alpha);
  if (colormode == 0) return {unit(c1), unit(c2), unit(c3), a};
  return fromHsb(unit(c1), unit(c2), unit(c3), a);
}

}  // namespace xyla
