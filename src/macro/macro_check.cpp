#include "macro/macro_check.h"

#include <algorithm>
#include <map>

#include "macro/command_table.h"
#include "macro/macro_syntax.h"
#include "macro/macro_text.h"
#include "macro/tokenizer.h"

namespace xyla {

namespace {

std::string withTokens(const char* format, const std::vector<std::string>& tokens) {
  std::string message = format;
  const std::size_t at = message.find("%@");
  if (at != std::string::npos) message.replace(at, 2, renderTokens(tokens));
  return message;
}

// Letters added, dropped or changed to turn `a` into `b` (both lower case); above `limit`
// the answer is limit + 1. `row` is scratch space.
std::size_t editDistance(std::string_view a, std::string_view b, std::size_t limit, std::vector<std::size_t>& row) {
  const std::size_t gap = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
  if (gap > limit) return limit + 1;
  row.resize(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    std::size_t best = row[0];
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
      best = std::min(best, row[j]);
    }
    if (best > limit) return limit + 1;  // no cell of the row can come back within the limit
  }
  return std::min(row[b.size()], limit + 1);
}

}  // namespace

std::string nearestCommand(std::string_view word) {
  if (word.empty()) return "";
  const std::string lower = lowerAscii(word);
  const std::size_t limit = std::min<std::size_t>(2, (word.size() - 1) / 2);
  std::vector<std::size_t> row;
  std::string best;
  std::size_t bestDistance = limit + 1;
  for (const std::string& name : commandNames()) {  // alphabetical: the first of equals wins
    const std::size_t d = editDistance(lower, name, limit, row);
    if (d < bestDistance) {
      best = name;
      bestDistance = d;
    }
  }
  return best;
}

bool checkCommand(const std::vector<std::string>& tokens, MacroProblem& problem,
                  std::map<std::string, std::string>* nearest) {
  if (tokens.empty()) return false;
  const auto& entries = CommandTable::standard().entriesNamed(tokens[0]);
  if (entries.empty()) {
    problem.message = withTokens(kUnknownCommandMessage, tokens);
    problem.usage.clear();
    if (!nearest) {
      problem.suggestion = nearestCommand(tokens[0]);
    } else {
      const auto [it, added] = nearest->try_emplace(tokens[0]);
      if (added) it->second = nearestCommand(tokens[0]);
      problem.suggestion = it->second;
    }
    return true;
  }
  // Every entry of the name checks its own arguments, and any one of them refusing the
  // count stops the run.
  for (const CommandEntry* e : entries) {
    if (argumentCountFits(e->signature, e->minimum, tokens.size() - 1)) continue;
    problem.message = withTokens(kArgumentCountMessage, tokens);
    problem.usage = commandUsage(*entries.front());
    problem.suggestion.clear();
    return true;
  }
  return false;
}

std::vector<MacroProblem> checkMacroText(const std::string& text) {
  const TokenizedMacro macro = tokenizeMacro(text);
  std::vector<MacroProblem> out;
  std::map<std::string, std::string> nearest;  // a name misspelt twice is looked up once
  for (std::size_t i = 0; i < macro.commands.size(); ++i) {
    MacroProblem p;
    if (!checkCommand(macro.commands[i], p, &nearest)) continue;
    p.line = macro.lines[i];
    out.push_back(std::move(p));
  }
  return out;
}

}  // namespace xyla
