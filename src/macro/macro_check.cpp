#include "macro/macro_check.h"

#include <algorithm>

#include "macro/command_table.h"
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

// Letters added, dropped or changed to turn `a` into `b`, ignoring case; stops counting
// above `limit`.
std::size_t editDistance(std::string_view a, std::string_view b, std::size_t limit) {
  const std::size_t gap = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
  if (gap > limit) return limit + 1;
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = equalsIgnoringCase(a.substr(i - 1, 1), b.substr(j - 1, 1));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string nearestCommand(std::string_view word) {
  if (word.empty()) return "";
  const std::size_t limit = std::min<std::size_t>(2, (word.size() - 1) / 2);
  std::string best;
  std::size_t bestDistance = limit + 1;
  for (const CommandEntry* e : describedEntries()) {
    const std::size_t d = editDistance(word, e->name, limit);
    if (d < bestDistance || (d == bestDistance && !best.empty() && e->name < best)) {
      best = e->name;
      bestDistance = d;
    }
  }
  return bestDistance <= limit ? best : "";
}

bool checkCommand(const std::vector<std::string>& tokens, MacroProblem& problem) {
  if (tokens.empty()) return false;
  const auto& entries = CommandTable::standard().entriesNamed(tokens[0]);
  if (entries.empty()) {
    problem.message = withTokens(kUnknownCommandMessage, tokens);
    problem.usage.clear();
    problem.suggestion = nearestCommand(tokens[0]);
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
  for (std::size_t i = 0; i < macro.commands.size(); ++i) {
    MacroProblem p;
    if (!checkCommand(macro.commands[i], p)) continue;
    p.line = macro.lines[i];
    out.push_back(std::move(p));
  }
  return out;
}

}  // namespace xyla
