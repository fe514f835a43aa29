// Talking to the user: alerts, the input panel, the console, pauses and redraws.
#include <chrono>
#include <cmath>
#include <thread>

#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/macro_controller.h"
#include "model/manager.h"
#include "model/ui.h"

namespace xyla {

namespace {

using G = CommandGroup;

void ask(Macro& m) {
  if (m.M->ui().alert("Macro stopped!", m.S[0], {"Continue", "Cancel"}) == 1) m.CANCEL = true;
}

void askoption(Macro& m) {
  const int answer = m.M->ui().alert("Macro stopped!", m.S[0], {m.S[1], m.S[2]});
  m.M->GV["option"] = answer == 0 ? 1.0 : 0.0;
}

void input(Macro& m) {
  const std::string message = m.O[0] ? m.S[0] : "Enter value";
  // The field keeps the text entered last; where no panel can be shown (a batch run)
  // $input takes the field's text as it stands.
  if (auto text = m.M->ui().inputPanel(message, m.M->inputText)) m.M->inputText = *text;
  m.M->SV["input"] = m.M->inputText;
}

void plot(Macro& m) {
  m.M->refreshPanels();
  m.PD->replot();
}

void print(Macro& m) {
  std::string text;
  for (std::size_t p = 0; p < m.S.size(); ++p) text += m.S[p];
  m.print(text);
}

// echo: the arguments as typed (string variables and \n substituted, nothing evaluated),
// separated by blanks, as one line of the console. Labels such as 'e' or ',' stay text.
void echo(Macro& m) {
  std::string text;
  for (std::size_t p = 0; p < m.S.size(); ++p) text += (p ? " " : "") + m.S[p];
  m.print(text + "\n");
}

void sleepCommand(Macro& m) {
  // Whole microseconds; negative or absurd pauses are not waited for.
  const double us = std::trunc(m.D[0] * 1e6);
  if (us > 0 && us < 1e12) std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long long>(us)));
}

void defaultfont(Macro& m) {
  m.deffont = m.S[0];
  if (std::isfinite(m.D[1])) m.deffontsize = m.D[1];
}

void defaultcolor(Macro& m) {
  m.defr = m.D[0];
  m.defg = m.D[1];
  m.defb = m.D[2];
}

}  // namespace

void registerDialogCommands(CommandTable& t) {
  t.add(G::Dialogs, "ask", "sss", 1, ask,
        {"message [unused] [unused]", "Shows the message with Continue and Cancel; Cancel ends the macro."});
  t.add(G::Dialogs, "askoption", "sss", 3, askoption,
        {"message first second", "Shows the message with two buttons; the variable option becomes 1 for the first, 0 for the second."});
  t.add(G::Dialogs, "input", "s", 0, input,
        {"[message]", "Asks for a text (default message \"Enter value\") into $input; its number is the variable input."});
  t.add(G::Dialogs, "plot", "", 0, plot,
        {"", "Redraws the plot and refreshes the panels."});
  t.add(G::Dialogs, "print", "uuuuuuuuuuuuuuuu", 0, print,
        {"[values...]", "Appends up to 16 values to the console: expressions are printed as numbers, anything else as text."});
  t.add(G::Dialogs, "echo", std::string(1, kAnyTexts), 0, echo,
        {"[words...]", "Appends its arguments as written to the console, separated by blanks, and ends the line; $variables and \\n are replaced, nothing is evaluated."});
  t.add(G::Dialogs, "sleep", "d", 1, sleepCommand,
        {"seconds", "Pauses the macro."});
  t.add(G::Defaults, "defaultfont", "sd", 2, defaultfont,
        {"family size", "Sets the font of later qtext texts."});
  t.add(G::Defaults, "defaultcolor", "ddd", 3, defaultcolor,
        {"red green blue", "Sets the colour of later texts and graphics that give none."});
}

}  // namespace xyla
