#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/ui.h"

namespace xyla {

// A Ui that says nothing: every alert takes its first (default) button and every panel
// is cancelled. For code that runs without a person, such as benchmarks and fuzzing.
class SilentUi : public Ui {
 public:
  int alert(const std::string&, const std::string&, const std::vector<std::string>&) override { return 0; }
  void beep() override {}
  std::vector<std::string> openPanel(const std::string&, const std::string&, bool) override { return {}; }
  std::optional<std::string> savePanel(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

}  // namespace xyla
