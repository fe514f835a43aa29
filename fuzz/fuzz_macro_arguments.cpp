// Arbitrary bytes as one checked command: the first line is the signature (letters of
// "dsuiabr", at most 16), the rest a command line whose tokens become the arguments.
// Checking must never crash, hang or run away in memory; every buffer index it lists
// names an existing buffer, axes are 0..3, and a failed check leaves an error count.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "macro/macro.h"
#include "macro/macro_controller.h"
#include "macro/tokenizer.h"
#include "model/manager.h"
#include "model/silent_ui.h"
#include "model/xyla_document.h"

namespace {

struct Fixture {
  Fixture() : m(ui), doc(&m), mc(m) {
    m.setCurrentDocument(&doc);
    for (int k = 0; k < 4; ++k) {
      xyla::DataBuffer& b = doc.newBuffer();
      for (int i = 0; i < 5; ++i) b.addDoubleValue(i, i * k);
    }
    doc.buffer(1)->show = false;
    m.select(2);
    m.SV["a"] = "A";
    m.SV["ab"] = "$a";
    macro.M = &m;
    macro.MC = &mc;
    macro.PD = &doc;
  }
  xyla::SilentUi ui;
  xyla::Manager m;
  xyla::XylaDocument doc;
  xyla::MacroController mc;
  xyla::Macro macro;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture f;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::size_t eol = text.find('\n');
  std::string signature;
  for (char c : text.substr(0, eol)) {
    if (std::string_view("dsuiabr").find(c) != std::string_view::npos && signature.size() < 16) signature += c;
  }
  std::vector<std::string> tokens{"cmd"};
  if (eol != std::string::npos) {
    const auto commands = xyla::tokenizeMacro(text.substr(eol + 1)).commands;
    if (!commands.empty()) tokens.insert(tokens.end(), commands[0].begin(), commands[0].end());
  }
  f.macro.ERR = 0;
  const bool ok = f.macro.chk("CMD", signature, 0, tokens);
  if (!ok && f.macro.ERR == 0) xyla::fuzz::fail(__FILE__, __LINE__, "failed check without an error");
  if (!ok) return 0;
  if (f.macro.SS.size() != tokens.size() - 1 || f.macro.S.size() != f.macro.SS.size())
    xyla::fuzz::fail(__FILE__, __LINE__, "argument lists of the wrong length");
  for (int b : f.macro.B) {
    if (b < 0 || b >= f.doc.bufferCount()) xyla::fuzz::fail(__FILE__, __LINE__, "buffer index out of range");
  }
  for (int a : f.macro.A) {
    if (a < 0 || a > 3) xyla::fuzz::fail(__FILE__, __LINE__, "axis out of range");
  }
  return 0;
}
