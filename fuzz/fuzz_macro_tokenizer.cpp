// Arbitrary bytes as a macro text: splitting must never crash or hang, every command
// has a name, no token holds a line break, and a text made of the tokens written back
// with quotes splits into the same commands.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "macro/tokenizer.h"

namespace {

// Writes a token so that it reads back unchanged when possible: plain when it has no
// blank and does not start with a quote, otherwise between quotes of a kind it cannot
// end early with.
bool writeBack(const std::string& token, std::string& out) {
  const bool plain = !token.empty() && token.find_first_of(" \t") == std::string::npos && token[0] != '\'' &&
                     token[0] != '"' && token != ":";
  if (plain) {
    out += token;
    return true;
  }
  for (char q : {'\'', '"'}) {
    const std::string end = std::string(1, q);
    if (token.find(end + " ") == std::string::npos && token.find(end + "\t") == std::string::npos &&
        (token.empty() || token.back() != q)) {
      out += q + token + q;
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const xyla::TokenizedMacro t = xyla::tokenizeMacro(text);
  std::string again;
  bool representable = t.inlinePerl.empty();
  for (const auto& command : t.commands) {
    if (command.empty()) xyla::fuzz::fail(__FILE__, __LINE__, "empty command");
    for (const std::string& token : command) {
      if (token.find('\n') != std::string::npos) xyla::fuzz::fail(__FILE__, __LINE__, "line break in a token");
      if (token.find('\r') != std::string::npos || token.find('\0') != std::string::npos) representable = false;
      if (!again.empty() && again.back() != '\n') again += ' ';
      representable = writeBack(token, again) && representable;
    }
    if (command[0] == "#" || command[0].starts_with('#') || command[0] == "<perl>") representable = false;
    again += '\n';
  }
  if (representable && xyla::tokenizeMacro(again).commands != t.commands)
    xyla::fuzz::fail(__FILE__, __LINE__, "written back differently: " + xyla::fuzz::printable(again));
  return 0;
}
