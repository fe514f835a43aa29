#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "support/test_files.h"

namespace xyla::test {

// Compares `text` with the reviewed file tests/data/golden/<name>.txt and reports the
// first line that differs. With XYLA_UPDATE_GOLDEN=1 in the environment the file is
// rewritten instead, to be reviewed in the diff.
inline void expectGolden(const std::string& name, const std::string& text) {
  const std::string path = dataDir() + "/golden/" + name + ".txt";
  const char* update = std::getenv("XYLA_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    writeFile(path, text);
    return;
  }
  const std::string want = readFile(path);
  ASSERT_FALSE(want.empty()) << "no golden file " << path << " (write it with XYLA_UPDATE_GOLDEN=1)";
  if (text == want) return;
  std::istringstream got(text), expected(want);
  std::string a, b;
  for (int line = 1;; ++line) {
    const bool moreGot = static_cast<bool>(std::getline(got, a));
    const bool moreWant = static_cast<bool>(std::getline(expected, b));
    if (!moreGot && !moreWant) break;
    if (moreGot && moreWant && a == b) continue;
    ADD_FAILURE() << name << " line " << line << "\n  got:  " << (moreGot ? a : "(end)")
                  << "\n  want: " << (moreWant ? b : "(end)");
    return;
  }
}

}  // namespace xyla::test
