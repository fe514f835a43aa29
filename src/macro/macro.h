#pragma once

#include <array>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "macro/loop_values.h"
#include "model/colour.h"

namespace xyla {

namespace expr {
class Expression;
}
namespace outside {
class PrivateDirectory;
}
class DataBuffer;
class Manager;
class MacroController;
class XylaDocument;

// One stored macro and its interpreter. The stored fields are name, src, shortcut and
// type; everything else is interpreter state that lives in the same object and keeps
// its values from one run to the next (but for what a run resets).
class Macro {
 public:
  static constexpr int kSlots = 16;  // argument slots; no command takes more arguments

  Macro();
  Macro(std::string name, std::string src, int shortcut, int type);
  ~Macro();
  Macro(const Macro&) = delete;
  Macro& operator=(const Macro&) = delete;

  // Replaces src by the whole text of the file; false (src unchanged) when unreadable.
  bool loadFromFile(const std::string& path);
  int macrotype() const { return type; }

  // ---- running ----

  // Runs on the controller's current document (plain macros only; the Perl types are
  // run by the Perl bridge).
  void parseMacro(Manager& m, MacroController* host = nullptr);
  // Runs on `doc`.
  void parseMacroFor(Manager& m, XylaDocument* doc, MacroController* host = nullptr);
  // Tokenizes src and runs the commands on PD (set by the two calls above).
  void executeMacro();
  // Runs one command; `index` is its position in CMD.
  void execute(const std::vector<std::string>& tokens, int index);
  // True when token 0 names the command `name` and the arguments fit `signature`
  // (at least `minimum` of them); fills D, I, O, S, SS, A, B, R. Reports a wrong
  // number of arguments.
  bool chk(const std::string& name, const std::string& signature, int minimum,
           const std::vector<std::string>& tokens);
  // Evaluates `text` into slot `slot` of D and I; false (both 0, ERR raised) on error.
  bool expr(const std::string& text, int slot, bool report);
  // The value of `text`, 0 on error; ERR is left alone.
  double exprval(const std::string& text, bool report);
  // Loads the predefined variables, the calculator results and the global variables
  // into `e` (and writes the predefined ones into GV).
  void setupexpr(expr::Expression& e);
  // A colour from three components (red, green, blue, or hue, saturation, brightness
  // with colormode 1), fractions 0..1 kept in single precision; alpha 1 or as given.
  Colour getColor(double c1, double c2, double c3) const { return getColor(c1, c2, c3, 1.0); }
  Colour getColor(double c1, double c2, double c3, double alpha) const;

  // ---- Perl-type macros (src holds Perl code) ----

  // Type 2 started from the panel, the menu or a shortcut: filters the buffers selected
  // in the buffer table of the current document.
  void perlFilter();
  // Type 1 started likewise: asks for the file ("Perl Import") and imports it.
  void perlImport();
  // From a macro command: the controller's current document becomes the target; runs
  // only when this macro has the matching type (2 filter, 1 import).
  void perlFilterFromMacro(Manager& m, MacroController* host, const std::vector<int>& indexes);
  void perlImportFromMacro(Manager& m, MacroController* host, const std::string& path);
  // Runs src wrapped in the filter scripts on the buffers `indexes` (ascending) of PD.
  void perlFilter(const std::vector<int>& indexes);
  // Runs src wrapped in the import scripts on the file at `path`.
  void perlImport(const std::string& path);
  // Appends the variables block (GV, then SV) to `data`.
  void sendVariables(std::string& data) const;
  // Reads a script's result: exit status, combined output, the comment for the new
  // buffers and the path of the run's log. A status other than 0 shows the status and
  // the start of the output in the macro console and changes nothing.
  void parsePerlResult(int status, const std::string& output, const std::string& comment, const std::string& logPath);

  // Shows "Syntax Error in Macro" with `format` ("%@" standing for the command) and
  // raises ERR.
  void syntaxError(const std::string& format, const std::vector<std::string>& tokens);
  // Appends to the macro console (nothing without a controller).
  void print(const std::string& text);
  // True while executeMacro runs on this object.
  bool running() const { return running_; }

  // ---- stored fields ----

  std::string name;
  std::string src;
  int shortcut = 0;  // character code of the shortcut letter, 0 for none
  int type = 0;      // 0 macro, 1 Perl import, 2 Perl filter

  // ---- interpreter state ----

  std::string inlineperl;  // path of this run's inline-Perl file, "" when none
  int colormode = 0;
  std::vector<std::vector<std::string>> CMD;
  std::vector<int> CMDLINE;  // line of the macro text each command of CMD stands on
  // Where the last run stopped on an error: the line of the command and the command as
  // typed; line 0 when the run ended normally or was cancelled.
  int stopLine = 0;
  std::string stopCommand;
  // Why it stopped: the message of the syntax or expression error, "" when the command
  // stopped the run after an alert of its own.
  std::string stopMessage;
  int currentCommand = 0;  // index in CMD of the command running
  std::string_view runningEntry;  // name of the command table entry running (lower case)
  std::vector<int> B;  // buffer indices of the last buffer argument
  std::vector<int> A;  // axis indices of the last axis argument
  LoopValues R;  // values of the last range argument
  std::array<double, kSlots> D{};
  std::array<int, kSlots> I{};
  std::array<bool, kSlots> O{};
  std::vector<std::string> S;
  std::vector<std::string> SS;
  Manager* M = nullptr;
  MacroController* MC = nullptr;
  XylaDocument* PD = nullptr;
  DataBuffer* DB = nullptr;
  bool OK = false;
  int ERR = 0;
  bool CANCEL = false;
  bool LOOPNEXT = false;
  LoopValues LOOP;  // loop values still to come
  int LOOPSTART = 0;
  double LOOPVAL = 0.0;
  int LOOPMODE = 0;
  int LOOPBUFFER = 0;
  bool IFMODE = false;
  bool IFCOND = false;
  double th = 0.0, tw = 0.0;
  double defr = 0.0, defg = 0.0, defb = 0.0;
  std::string deffont = "Helvetica";
  double deffontsize = 18.0;
  bool WARN = true;

 private:
  expr::Expression& evaluator(bool report);
  bool evaluate(const std::string& text, bool report, double& value);
  void writePredefined();
  void setStringVariables();
  bool checkArguments(const std::string& signature, int minimum, const std::vector<std::string>& tokens);
  bool readArguments(const std::string& signature, int minimum, const std::vector<std::string>& tokens);
  bool checkArgument(char letter, int p, const std::string& token);
  std::vector<int> axisList(const std::string& token);
  std::vector<int> bufferList(const std::string& token);
  LoopValues rangeList(const std::string& token);
  void runCommands();

  void runPerl(const std::string& pre, const std::vector<std::string>& arguments, std::string input,
               const std::string& title);

  std::unique_ptr<expr::Expression> reporting_, silent_;
  long long clock_ = -1;       // second of the clock that date_ and time_ were made in
  std::string date_, time_;    // $date and $time of that second
  std::unique_ptr<outside::PrivateDirectory> inlineDir_;  // holds this run's inline-Perl file
  std::array<bool, 2> variablesLoaded_{};  // silent, reporting evaluator loaded for this command
  bool running_ = false;
  std::string commandError_;  // the syntax or expression error of the command running
};

// The integer of a double truncated toward zero, clamped to the int range (NaN: 0).
int truncInt(double v);

}  // namespace xyla
