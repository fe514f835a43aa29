#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace xyla::expr {

// The named variables of one expression: at most 256, names compared bytewise.
class VariableTable {
 public:
  static constexpr int kMaxVariables = 256;

  // Sets an existing variable or appends a new one; a 257th name is ignored.
  void set(std::string_view name, double value);
  // Index of the variable called `name`, or -1.
  int find(std::string_view name) const;
  int count() const { return static_cast<int>(names_.size()); }
  const std::string& name(int i) const { return names_[i]; }
  double value(int i) const { return values_[i]; }
  void setValue(int i, double v) { values_[i] = v; }
  const double* values() const { return values_.data(); }

 private:
  std::vector<std::string> names_;
  std::array<double, kMaxVariables> values_{};
};

}  // namespace xyla::expr
