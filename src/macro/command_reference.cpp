#include "macro/command_reference.h"

#include <map>
#include <sstream>

namespace xyla {

namespace {

// Values that suit an argument by its word, where the kind alone would say little.
const std::map<std::string, std::string, std::less<>>& valuesByWord() {
  static const std::map<std::string, std::string, std::less<>> values = {
      {"alpha", "0.5"},
      {"angle", "90"},
      {"anode", "al"},
      {"axes", "x"},
      {"blue", "0.8"},
      {"buffer", "0"},
      {"buffers", "all"},
      {"comment", "C 1s"},
      {"count", "3"},
      {"dpi", "144"},
      {"expression", "y*2"},
      {"factor", "2"},
      {"family", "Helvetica"},
      {"file", "$home/c1s.png"},
      {"font", "Helvetica"},
      {"format", "%.2f"},
      {"green", "0.4"},
      {"height", "100"},
      {"host", "localhost"},
      {"label", "C 1s"},
      {"length", "10"},
      {"line", "C 1s"},
      {"macro", "New Macro"},
      {"max", "295"},
      {"message", "Go on?"},
      {"min", "280"},
      {"name", "peak"},
      {"on", "1"},
      {"operator", "=="},
      {"password", "secret"},
      {"query", "SELECT x, y FROM spectrum"},
      {"red", "0.2"},
      {"separator", ","},
      {"size", "12"},
      {"text", "C 1s"},
      {"title", "Binding energy (eV)"},
      {"user", "xyla"},
      {"variable", "peak"},
      {"width", "1.5"},
      {"x", "285"},
      {"x1", "280"},
      {"x2", "295"},
      {"y", "1000"},
      {"y1", "0"},
      {"y2", "1000"},
  };
  return values;
}

std::string valueFor(std::string word, char letter) {
  std::erase_if(word, [](char c) { return c == '[' || c == ']' || c == '.'; });
  const auto& values = valuesByWord();
  const auto it = values.find(word);
  std::string value;
  switch (letter) {
    case 'b':
      value = it != values.end() && word.starts_with("buffer") ? it->second : "all";
      break;
    case 'a':
      value = "x";
      break;
    case 'r':
      value = "3";
      break;
    case 's':
    case '*':
      value = it != values.end() ? it->second : word;
      break;
    case 'u':
      value = it != values.end() ? it->second : "1";
      break;
    default: {
      // A number: the word's value when it is one, else 1.
      const bool numeric = it != values.end() && !it->second.empty() &&
                           it->second.find_first_not_of("0123456789.-") == std::string::npos;
      value = numeric ? it->second : "1";
    }
  }
  if (value.empty() || value.find_first_of(" \t") != std::string::npos) value = "'" + value + "'";
  return value;
}

// Whole examples where values chosen by the words alone would mislead: file names with
// the right extension, fit cells, expressions, geometry that makes sense.
const std::map<std::string, std::string, std::less<>>& examplesByCommand() {
  static const std::map<std::string, std::string, std::less<>> examples = {
      {"alabel", "alabel 1 284.8 'C-C'"},
      {"arrow", "arrow 1 0 100 100 250 200 0 1 1 10"},
      {"ascalexpr", "ascalexpr 3 '1486.6 - v'"},
      {"askoption", "askoption 'Fit again?' Yes No"},
      {"atickdist", "atickdist 1 5"},
      {"atimeformat", "atimeformat 1 '%d %b %H:%M'"},
      {"bcalc", "bcalc 0 - 1"},
      {"bdynsize", "bdynsize all '4 + y/1000'"},
      {"binaryimport", "binaryimport '$home/data.bin' 0 0 0 2"},
      {"chargefit", "chargefit 1 all 284.8"},
      {"fitdoublet", "fitdoublet 1 'W 4f'"},
      {"chargemax", "chargemax 0 280 290 all 284.8"},
      {"circle", "circle 1 0 100 100 80 60"},
      {"echo", "echo 'saved as' $file.pdf"},
      {"export", "export '$home/c1s.txt' 0 all"},
      {"fcircle", "fcircle 1 0 100 100 80 60 1 0 0 0 0 0.9 0.8 1"},
      {"fg", "fg 1 280 295 151 'e^(0-(x-285)^2)'"},
      {"fitcsv", "fitcsv '$home/c1s.csv'"},
      {"fitexport", "fitexport 1"},
      {"fitlimit", "fitlimit 100 1000"},
      {"fitresidual", "fitresidual 0.25"},
      {"fitrow", "fitrow 1 GL 284.5~0.5 1000~ 1.2~ 0.3"},
      {"fitweight", "fitweight 1 2"},
      {"format", "format label '%.2f eV' peak"},
      {"frect", "frect 1 1 283 0 3 4000 1 0 0 0 0 0.85 0.95 0.85"},
      {"ftext", "ftext 1 1 285 3500 Helvetica 14 'C-C, C-H'"},
      {"import", "import '$home/c1s.txt' 0"},
      {"input", "input 'How many peaks?'"},
      {"kebe", "kebe al 4.5 all"},
      {"line", "line 1 0 100 100 250 200 1 2"},
      {"linbg", "linbg 0.5 100 all"},
      {"margins", "margins 60 20 50 20"},
      {"movex", "movex 285.2 284.8 all"},
      {"mysqlimport", "mysqlimport localhost xyla secret test 3306 'SELECT x, y FROM spectrum'"},
      {"normx", "normx 280 295 0 1 all"},
      {"normy", "normy 0 5000 0 1 all"},
      {"open", "open '$home/c1s.xyla'"},
      {"perlimport", "perlimport '$home/scan.vnd'"},
      {"print", "print 'peak at ' peak ' eV' \\n"},
      {"qtext", "qtext 0 100 200 'C 1s'"},
      {"rect", "rect 1 1 283 0 3 4000"},
      {"repopen", "repopen '$home/report.rtfd'"},
      {"repsave", "repsave '$home/report.rtfd'"},
      {"saveas", "saveas '$home/c1s.xyla'"},
      {"saveeps", "saveeps '$home/c1s.eps'"},
      {"savejpg", "savejpg '$home/c1s.jpg' 144"},
      {"savepdf", "savepdf '$home/c1s.pdf'"},
      {"shirleybg", "shirleybg 296 1870 274 1885 0"},
      {"shirleyconv", "shirleyconv 280 295 5 0 all"},
      {"sleep", "sleep 0.5"},
      {"smooth", "smooth 5 all"},
      {"spline", "spline 10 1 0"},
      {"splinefit", "splinefit 0 0 0 1 1 0 0 0 4 1 0 2001 0"},
      {"subplot", "subplot 110 200 220 150 0"},
      {"surveylabel", "surveylabel al 1 0"},
      {"surveymark", "surveymark al 'W, O, Ni' 0"},
      {"text", "text 1 100 200 Helvetica 14 'C 1s'"},
      {"tougaardbg", "tougaardbg 280 295 0 5 0 all"},
      {"vamasimport", "vamasimport '$home/c1s.vms' 1"},
      {"windowsize", "windowsize 640 480"},
  };
  return examples;
}

}  // namespace

std::string exampleLine(const std::string& name, const std::string& signature, const std::string& arguments) {
  if (const auto it = examplesByCommand().find(name); it != examplesByCommand().end()) return it->second;
  std::istringstream words(arguments);
  std::string line = name, word;
  const bool any = signature.size() == 1 && signature[0] == kAnyTexts;
  for (std::size_t p = 0; words >> word; ++p) {
    if (!any && p >= signature.size()) break;
    line += ' ' + valueFor(word, any ? '*' : signature[p]);
  }
  return line;
}

const std::vector<CommandReference>& commandReference() {
  static const std::vector<CommandReference> all = [] {
    std::vector<CommandReference> out;
    for (const CommandEntry* e : describedEntries()) {
      out.push_back({e->name, commandUsage(*e), e->help.description, groupTitle(e->group), argumentHelp(*e),
                     exampleLine(e->name, e->signature, e->help.arguments)});
    }
    return out;
  }();
  return all;
}

bool referenceMatches(const CommandReference& r, std::string_view query) {
  const std::string haystack = lowerAscii(r.name + ' ' + r.usage + ' ' + r.description + ' ' + r.family);
  std::istringstream words{std::string(query)};
  std::string word;
  while (words >> word)
    if (haystack.find(lowerAscii(word)) == std::string::npos) return false;
  return true;
}

}  // namespace xyla
