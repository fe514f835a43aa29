#pragma once

#include <string>
#include <vector>

namespace xyla {

class Manager;

// The calculator: each entered line is an expression (its value becomes the next
// result r0, r1, ...), an assignment "name = expression" (a global variable) or one of
// the words clr, clrall, hist and var. Results live in the controller's CV, variables
// in its GV, so macros and every expression see them. History, results and output are
// kept in the user defaults ("CalcHistory", "CalcVars", "CalcResult").
class Calculator {
 public:
  explicit Calculator(Manager& m);

  // Reads history, results and output from the standard user defaults.
  void load();
  // Runs one entered line.
  void calcChanged(const std::string& line);
  // Shows the previous (next) history line in the input, or beeps.
  void calcHistUp();
  void calcHistDown();

  std::vector<std::string> CH;  // lines that evaluated successfully
  int CP = 0;                   // history position of the arrow keys
  std::string output;           // the output text
  std::string input;            // the input line

 private:
  bool evaluate(const std::string& text, double& value, std::string& error) const;
  void assign(const std::string& line, const std::string& name, const std::string& expression);
  void compute(const std::string& line);
  void listVariables();
  void store() const;

  Manager& m_;
};

}  // namespace xyla
