#include "macro/calculator.h"

#include <cstdio>

#include "expr/builtins.h"
#include "expr/expression.h"
#include "macro/command_table.h"
#include "macro/macro_text.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/text_scan.h"
#include "model/ui.h"

namespace xyla {

namespace {

std::string format12(double v) { return formatG(v, 12); }

std::string trimmedLine(const std::string& s) {
  const char* blanks = " \t\r\n";
  const std::size_t first = s.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

}  // namespace

Calculator::Calculator(Manager& m) : m_(m) {}

void Calculator::load() {
  Settings* s = Settings::standard();
  if (!s) return;
  if (auto h = s->getStringList("CalcHistory")) CH = *h;
  if (auto v = s->getStringList("CalcVars")) {
    m_.CV.clear();
    for (const std::string& text : *v) m_.CV.push_back(std::strtod(text.c_str(), nullptr));
  }
  if (auto r = s->getString("CalcResult")) output = *r;
  CP = static_cast<int>(CH.size());
}

void Calculator::store() const {
  Settings* s = Settings::standard();
  if (!s) return;
  s->setStringList("CalcHistory", CH);
  std::vector<std::string> values;
  for (double v : m_.CV) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    values.emplace_back(buf);
  }
  s->setStringList("CalcVars", values);
  s->setString("CalcResult", output);
  s->sync();
}

bool Calculator::evaluate(const std::string& text, double& value, std::string& error) const {
  // The data functions read the document in front.
  expr::CalcScope scope(m_);
  expr::Expression e;
  e.setNoError();
  e.setGlobalVars(m_.CV);
  e.setVars(m_.GV);
  if (!e.parse(text)) {
    error = expr::Expression::errortext();
    return false;
  }
  value = e.resultValue();
  return true;
}

void Calculator::calcChanged(const std::string& entered) {
  const std::string line = trimmedLine(entered);
  if (line.empty()) {
    output += "\n";
    return;
  }
  const std::vector<std::string> parts = splitText(line, "=");
  if (parts.size() == 2) {
    assign(line, trimmedLine(parts[0]), trimmedLine(parts[1]));
  } else if (equalsIgnoringCase(line, "clr") || equalsIgnoringCase(line, "clrall")) {
    m_.CV.clear();
    CH.clear();
    CP = 0;
    output.clear();
    input.clear();
  } else if (equalsIgnoringCase(line, "hist")) {
    output += "\n";
    for (const std::string& h : CH) output += h + "\n";
    output += "\n";
  } else if (equalsIgnoringCase(line, "var")) {
    listVariables();
  } else {
    compute(line);
  }
  store();
}

void Calculator::assign(const std::string& line, const std::string& name, const std::string& expression) {
  if (expression.empty()) {
    input.clear();
    return;
  }
  double value = 0.0;
  std::string error;
  if (!evaluate(expression, value, error)) {
    output += error + "\n";
    return;
  }
  CH.push_back(line);
  CP = static_cast<int>(CH.size());
  m_.GV[name] = value;
  output += line + "\n    " + name + " = " + format12(value) + "\n";
  input = format12(value);
}

void Calculator::compute(const std::string& line) {
  double value = 0.0;
  std::string error;
  if (!evaluate(line, value, error)) {
    output += line + "\n    " + error + "\n";
    return;
  }
  CH.push_back(line);
  CP = static_cast<int>(CH.size());
  output += line + "\n    r" + std::to_string(m_.CV.size()) + " = " + format12(value) + "\n";
  m_.CV.push_back(value);
  input = format12(value);
}

void Calculator::listVariables() {
  output += "\n";
  for (std::size_t k = 0; k < m_.CV.size(); ++k) output += "r" + std::to_string(k) + " = " + format12(m_.CV[k]) + "\n";
  for (const auto& [name, value] : m_.GV) output += name + " = " + format12(value) + "\n";
  output += "\n";
}

void Calculator::calcHistUp() {
  CP = std::max(CP - 1, 0);
  if (CP < static_cast<int>(CH.size())) {
    input = CH[static_cast<std::size_t>(CP)];
  } else {
    m_.ui().beep();
  }
}

void Calculator::calcHistDown() {
  CP = std::min(CP + 1, static_cast<int>(CH.size()) - 1);
  if (CP >= 0 && CP < static_cast<int>(CH.size())) {
    input = CH[static_cast<std::size_t>(CP)];
  } else {
    CP = 0;
    m_.ui().beep();
  }
}

}  // namespace xyla
