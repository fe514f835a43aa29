// Numeric and string variables, closing and quitting, and the warning switch.
#include <cstdio>
#include <filesystem>

#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/macro_controller.h"
#include "macro/macro_text.h"
#include "model/document_host.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/ui.h"

namespace xyla {

namespace {

using G = CommandGroup;

void setvar(Macro& m) { m.M->GV[m.S[0]] = m.D[1]; }

void setstring(Macro& m) { m.M->SV[variableName(m.SS[0])] = m.SS[1]; }

void eval(Macro& m) { m.M->SV[m.S[0]] = m.S[1]; }

// Only floating-point conversions take the numbers; a format that asks for anything
// else (integers, strings, pointers, "%n") is stored unformatted, so a user's typo can
// never read memory that is not there. Widths and precisions above a thousand are
// refused the same way: "%2147483647f" would write gigabytes of blanks.
constexpr long kMaxFieldWidth = 1000;

bool safeFormat(const std::string& f) {
  int conversions = 0;
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (f[i] != '%') continue;
    if (i + 1 < f.size() && f[i + 1] == '%') {
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    long number = 0;
    while (j < f.size() && std::string_view("-+ #0123456789.").find(f[j]) != std::string_view::npos) {
      const bool digit = f[j] >= '0' && f[j] <= '9';
      number = digit ? number * 10 + (f[j] - '0') : 0;
      if (number > kMaxFieldWidth) return false;
      ++j;
    }
    if (j >= f.size() || std::string_view("eEfFgGaA").find(f[j]) == std::string_view::npos) return false;
    if (++conversions > 9) return false;
    i = j;
  }
  return true;
}

void format(Macro& m) {
  const std::string& f = m.S[1];
  if (!safeFormat(f)) {
    m.M->SV[m.S[0]] = f;
    return;
  }
  const int n = std::snprintf(nullptr, 0, f.c_str(), m.D[2], m.D[3], m.D[4], m.D[5], m.D[6], m.D[7], m.D[8], m.D[9],
                              m.D[10]);
  std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
  if (n > 0)
    std::snprintf(out.data(), out.size() + 1, f.c_str(), m.D[2], m.D[3], m.D[4], m.D[5], m.D[6], m.D[7], m.D[8],
                  m.D[9], m.D[10]);
  m.M->SV[m.S[0]] = out;
}

// The chosen file's folder is remembered under "PATH" for the next panel.
void browse(Macro& m) {
  Settings* s = Settings::standard();
  const std::string start = s ? s->getString("PATH").value_or("") : "";
  const std::vector<std::string> files = m.M->ui().openPanel("Select File", start, false);
  if (files.empty()) return;
  if (s) {
    s->setString("PATH", std::filesystem::path(files[0]).parent_path().string());
    s->sync();
  }
  m.M->SV["file"] = files[0];
}

// Closing leaves the macro without a document: the next command is reported unknown,
// as after a failed "open".
void close(Macro& m) {
  XylaDocument* doc = m.PD;
  m.PD = nullptr;
  if (m.MC) m.MC->documents().closeDocument(*doc);
}

void quitapp(Macro& m) {
  MacroController* host = m.MC;
  close(m);
  m.CANCEL = true;
  if (host) host->documents().quitApplication();
}

void hideapp(Macro& m) {
  if (m.MC) m.MC->documents().hideApplication();
}

void warn(Macro& m) { m.WARN = flag(m, 0); }

}  // namespace

void registerVariableCommands(CommandTable& t) {
  t.add(G::Variables, "setvar", "sd", 2, setvar,
        {"name value", "Sets the numeric variable."});
  t.add(G::Variables, "setstring", "uu", 2, setstring,
        {"name text", "Sets the string variable to the text as written (nothing substituted)."});
  t.add(G::Variables, "eval", "su", 2, eval,
        {"name value", "Sets the string variable to the value of an expression, or to the text when it is none."});
  t.add(G::Variables, "format", "ssddddddddd", 2, format,
        {"name format [v1] [v2] [v3] [v4] [v5] [v6] [v7] [v8] [v9]", "Sets the string variable to up to nine numbers written with a printf format (%f %e %g and kin)."});
  t.add(G::Variables, "browse", "", 0, browse,
        {"", "Asks for a file; its path goes into $file."});
  t.add(G::Variables, "close", "", 0, close,
        {"", "Closes the macro's document; later commands need new or open."});
  t.add(G::Variables, "quitapp", "", 0, quitapp,
        {"", "Closes the document, ends the macro and quits the program."});
  t.add(G::Variables, "hideapp", "", 0, hideapp,
        {"", "Hides the program's windows."});
  t.add(G::Variables, "warn", "i", 1, warn,
        {"on", "Lets analysis commands show their warnings (1) or silences them (0)."});
}

}  // namespace xyla
