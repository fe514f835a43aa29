// Argument checking of the interpreter: the signature letters, the buffer, axis and
// range lists, string substitution and expression arguments.
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "expr/expression.h"
#include "macro/command_table.h"
#include "macro/macro.h"
#include "macro/macro_text.h"
#include "model/manager.h"
#include "model/time_format.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

// More values than this in one range argument stop the run instead of filling memory.

std::string homeDirectory() {
  if (const char* h = std::getenv("HOME")) return h;
  const passwd* pw = getpwuid(getuid());
  return pw && pw->pw_dir ? pw->pw_dir : "";
}

std::string loginName() {
  const passwd* pw = getpwuid(getuid());
  if (pw && pw->pw_name) return pw->pw_name;
  const char* u = std::getenv("USER");
  return u ? u : "";
}

std::string formatTime(std::time_t now, const char* format) {
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[128];
  const std::size_t n = std::strftime(buf, sizeof buf, format, &tm);
  return std::string(buf, n);
}

// Whether `name` is "r" followed by the canonical decimal k of a result below `results`.
bool isResultName(const std::string& name, std::size_t results, std::size_t& k) {
  if (name.size() < 2 || name[0] != 'r' || name.size() > 8) return false;
  if (name[1] == '0' && name.size() > 2) return false;
  std::size_t v = 0;
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
    v = v * 10 + static_cast<std::size_t>(name[i] - '0');
  }
  k = v;
  return v < results;
}

// Brings a cached evaluator up to date with the results and global variables; false
// when its variable names no longer match them (it must then be built afresh).
bool refreshVariables(expr::Expression& e, const std::vector<double>& cv, const std::map<std::string, double>& gv) {
  const expr::VariableTable& vt = e.variables();
  const std::size_t limit = expr::VariableTable::kMaxVariables;
  const std::size_t nr = std::min(cv.size(), limit);
  const std::size_t count = static_cast<std::size_t>(vt.count());
  if (count < nr) return false;
  if (nr > 0 && vt.name(static_cast<int>(nr - 1)) != "r" + std::to_string(nr - 1)) return false;
  for (std::size_t i = 0; i < nr; ++i) e.setSlot(static_cast<int>(i), cv[i]);
  std::size_t j = nr;
  for (const auto& [name, value] : gv) {
    std::size_t k = 0;
    if (isResultName(name, nr, k)) {
      e.setSlot(static_cast<int>(k), value);
      continue;
    }
    if (j >= count) {
      if (count == limit) continue;  // the table is full: further names are ignored
      return false;
    }
    if (vt.name(static_cast<int>(j)) != name) return false;
    e.setSlot(static_cast<int>(j++), value);
  }
  return j == count;
}

}  // namespace

void Macro::setStringVariables() {
  static const std::string home = homeDirectory();
  static const std::string user = loginName();
  const std::time_t now = std::time(nullptr);
  // $date follows the date format of the preferences. Reading the preferences costs more
  // than a whole command, so the texts are made once per second of the clock and at the
  // start of every run (which sets clock_ to -1).
  if (now != clock_) {
    clock_ = now;
    constexpr double kUnixTimeOf2001 = 978307200.0;
    date_ = xyla::formatTime(static_cast<double>(now) - kUnixTimeOf2001, timeDisplayFormat());
    time_ = formatTime(now, "%H:%M:%S");
  }
  M->SV["date"] = date_;
  M->SV["time"] = time_;
  M->SV["home"] = home;
  M->SV["user"] = user;
}

bool Macro::chk(const std::string& commandName, const std::string& signature, int minimum,
                const std::vector<std::string>& tokens) {
  if (!PD || !M || tokens.empty() || !equalsIgnoringCase(tokens[0], commandName)) return false;
  return checkArguments(signature, minimum, tokens);
}

bool Macro::checkArguments(const std::string& signature, int minimum, const std::vector<std::string>& tokens) {
  if (!M || tokens.empty()) return false;
  // Nothing changes the variables while one command's arguments are read, so they are
  // loaded into the evaluators once per command.
  variablesLoaded_ = {false, false};
  const bool ok = readArguments(signature, minimum, tokens);
  variablesLoaded_ = {false, false};
  return ok;
}

bool Macro::readArguments(const std::string& signature, int minimum, const std::vector<std::string>& tokens) {
  S.clear();
  SS.clear();
  A.clear();
  B.clear();
  R.clear();
  D.fill(0.0);
  I.fill(0);
  O.fill(false);
  OK = true;
  setStringVariables();
  const std::size_t n = tokens.size() - 1;
  if (signature.size() == 1 && signature[0] == kAnyTexts) {
    for (std::size_t p = 1; p <= n; ++p) {
      SS.push_back(tokens[p]);
      S.push_back(expandLineBreaks(substituteVariables(tokens[p], M->SV)));
    }
    return true;
  }
  if (!argumentCountFits(signature, minimum, n)) {
    syntaxError(kArgumentCountMessage, tokens);
    return false;
  }
  for (std::size_t p = 0; p < n; ++p) {
    if (!checkArgument(signature[p], static_cast<int>(p), tokens[p + 1])) return false;
  }
  return true;
}

bool Macro::checkArgument(char letter, int p, const std::string& token) {
  O[p] = true;
  SS.push_back(token);
  if (letter == 's' || letter == 'u') {
    std::string text;
    if (letter == 'u' && expr(token, p, false)) {
      text = formatG(D[p]);
    } else {
      text = substituteVariables(token, M->SV);
    }
    ERR = 0;
    S.push_back(expandLineBreaks(text));
  } else {
    S.emplace_back();
  }
  switch (letter) {
    case 'd':
    case 'i':
      // Domain errors are values, not errors of the language: a NaN point is data. The
      // setters that would hang or blow up on such a value guard themselves.
      if (!expr(token, p, true)) return false;
      break;
    case 'a': A = axisList(token); break;
    case 'b': B = bufferList(token); break;
    case 'r': R = rangeList(token); break;
    default: break;
  }
  return ERR <= 0;
}

std::vector<int> Macro::axisList(const std::string& token) {
  if (equalsIgnoringCase(token, "all")) return {0, 1, 2, 3};
  if (equalsIgnoringCase(token, "x")) return {0, 2};
  if (equalsIgnoringCase(token, "y")) return {1, 3};
  const int v = truncInt(exprval(token, true));
  if (v >= 1 && v <= 4) return {v - 1};
  return {};
}

std::vector<int> Macro::bufferList(const std::string& token) {
  if (!PD) return {};
  const int n = PD->bufferCount();
  std::vector<int> out;
  auto keep = [&](auto pred) {
    for (int i = 0; i < n; ++i) {
      if (pred(i)) out.push_back(i);
    }
  };
  if (equalsIgnoringCase(token, "all")) {
    keep([](int) { return true; });
  } else if (equalsIgnoringCase(token, "none")) {
  } else if (equalsIgnoringCase(token, "hidden")) {
    keep([&](int i) { return !PD->buffer(i)->show; });
  } else if (equalsIgnoringCase(token, "visible")) {
    keep([&](int i) { return PD->buffer(i)->show; });
  } else if (equalsIgnoringCase(token, "selected")) {
    keep([&](int i) { return M->isSelected(i); });
  } else if (equalsIgnoringCase(token, "unselected")) {
    keep([&](int i) { return !M->isSelected(i); });
  } else if (const auto parts = splitText(token, ".."); parts.size() == 2) {
    const long long a = plainInteger(parts[0]), b = plainInteger(parts[1]);
    // Only the part of a..b inside 0 .. n-1 can give buffers.
    if (a <= b) {
      for (long long i = std::max(a, 0LL); i <= std::min(b, n - 1LL); ++i) out.push_back(static_cast<int>(i));
    } else {
      for (long long i = std::min(a, n - 1LL); i >= std::max(b, 0LL); --i) out.push_back(static_cast<int>(i));
    }
  } else {
    for (const std::string& part : splitText(token, ",")) {
      const int v = truncInt(exprval(part, true));
      if (v >= 0 && v < n) out.push_back(v);
    }
  }
  return out;
}

// Ranges are kept as start, step and count and produce their values one at a time (see
// LoopValues), so a range of any length is accepted.
LoopValues Macro::rangeList(const std::string& token) {
  if (const auto parts = splitText(token, ".."); parts.size() == 2) {
    const long long a = plainInteger(parts[0]), b = plainInteger(parts[1]);
    const long double span = std::fabs(static_cast<long double>(b) - static_cast<long double>(a)) + 1;
    const long long count = span >= 9e18L ? std::numeric_limits<long long>::max() : static_cast<long long>(span);
    return LoopValues::progression(static_cast<double>(a), a <= b ? 1.0 : -1.0, count);
  }
  if (const auto parts = splitText(token, ":"); parts.size() == 3) {
    const double start = exprval(parts[0], true), end = exprval(parts[1], true), step = exprval(parts[2], true);
    // A step that is not positive, or too small to move the value, gives no values.
    if (!(step > 0.0) || !std::isfinite(start) || !std::isfinite(end) || !std::isfinite(step) || start > end ||
        start + step == start)
      return {};
    const long double estimate = std::floor((static_cast<long double>(end) - start) / step) + 1;
    long long count = estimate >= 9e18L ? std::numeric_limits<long long>::max() : static_cast<long long>(estimate);
    // The values are start + k * step while not above end; the estimate may be one off.
    while (count > 0 && start + static_cast<double>(count - 1) * step > end) --count;
    while (count < std::numeric_limits<long long>::max() && start + static_cast<double>(count) * step <= end) ++count;
    return LoopValues::progression(start, step, count);
  }
  if (const auto parts = splitText(token, ","); parts.size() >= 2) {
    std::vector<double> values;
    for (const std::string& part : parts) values.push_back(exprval(part, true));
    return LoopValues::listed(std::move(values));
  }
  return LoopValues::progression(0.0, 1.0, plainInteger(token));
}

void Macro::writePredefined() {
  if (!PD) return;
  std::map<std::string, double>& gv = M->GV;
  const XylaDocument& d = *PD;
  const int nb = d.bufferCount();
  gv["nb"] = nb;
  gv["cb"] = d.current;
  gv["l"] = LOOPVAL;
  const int k = truncInt(LOOPVAL);
  if (LOOPMODE == 3 && LOOPBUFFER >= 0 && LOOPBUFFER < nb && k >= 0 && k < d.buffer(LOOPBUFFER)->count()) {
    const DataBuffer& b = *d.buffer(LOOPBUFFER);
    gv["lx"] = b.xDoubleValueAt(k);
    gv["ly"] = b.yDoubleValueAt(k);
    gv["lxe"] = b.xDoubleErrorAt(k);
    gv["lye"] = b.yDoubleErrorAt(k);
  }
  gv["textwidth"] = tw;
  gv["textheight"] = th;
  gv["framewidth"] = d.framewidth;
  gv["marginleft"] = d.marginleft;
  gv["marginright"] = d.marginright;
  gv["margintop"] = d.margintop;
  gv["marginbottom"] = d.marginbottom;
  gv["frameleft"] = d.marginleft;
  gv["frameright"] = d.viewWidth - d.marginright;
  gv["frametop"] = d.viewHeight - d.margintop;
  gv["framebottom"] = d.marginbottom;
  gv["windowwidth"] = d.viewWidth;
  gv["windowheight"] = d.viewHeight;
  const auto input = M->SV.find("input");
  gv["input"] = input == M->SV.end() ? 0.0 : std::atof(input->second.c_str());
  gv["xmin1"] = d.xmin1;
  gv["xmax1"] = d.xmax1;
  gv["ymin1"] = d.ymin1;
  gv["ymax1"] = d.ymax1;
  gv["xmin2"] = d.xmin2;
  gv["xmax2"] = d.xmax2;
  gv["ymin2"] = d.ymin2;
  gv["ymax2"] = d.ymax2;
}

void Macro::setupexpr(expr::Expression& e) {
  writePredefined();
  e.setGlobalVars(M->CV);
  e.setVars(M->GV);
}

// Building an evaluator with some forty variables for every argument would dominate
// the cost of a command, so one evaluator per reporting mode is kept and only its
// values are refreshed while the set of variable names stays the same.
expr::Expression& Macro::evaluator(bool report) {
  std::unique_ptr<expr::Expression>& cached = report ? reporting_ : silent_;
  bool& loaded = variablesLoaded_[report ? 1 : 0];
  if (cached && loaded) return *cached;
  if (!variablesLoaded_[0] && !variablesLoaded_[1]) writePredefined();
  loaded = true;
  if (!cached || !refreshVariables(*cached, M->CV, M->GV)) {
    cached = std::make_unique<expr::Expression>();
    if (!report) cached->setNoError();
    cached->setGlobalVars(M->CV);
    cached->setVars(M->GV);
  }
  return *cached;
}

bool Macro::evaluate(const std::string& text, bool report, double& value) {
  static const std::string one = "1", zero = "0";
  const std::string* source = &text;
  if (equalsIgnoringCase(text, "yes")) source = &one;
  else if (equalsIgnoringCase(text, "no")) source = &zero;
  expr::Expression& e = evaluator(report);
  if (!e.parse(*source)) {
    value = 0.0;
    return false;
  }
  value = e.resultValue();
  return !expr::Expression::failed();
}

bool Macro::expr(const std::string& text, int slot, bool report) {
  double v = 0.0;
  if (!evaluate(text, report, v)) {
    D[slot] = 0.0;
    I[slot] = 0;
    if (report) commandError_ = expr::Expression::errortext() + " in " + text;
    ++ERR;
    return false;
  }
  D[slot] = v;
  I[slot] = truncInt(v);
  return true;
}

double Macro::exprval(const std::string& text, bool report) {
  double v = 0.0;
  return evaluate(text, report, v) ? v : 0.0;
}

}  // namespace xyla
