#include "expr/variable_table.h"

namespace xyla::expr {

int VariableTable::find(std::string_view name) const {
  for (int i = 0; i < count(); ++i)
    if (names_[i] == name) return i;
  return -1;
}

void VariableTable::set(std::string_view name, double value) {
  const int i = find(name);
  if (i >= 0) {
    values_[i] = value;
    return;
  }
  if (count() >= kMaxVariables) return;
  names_.emplace_back(name);
  values_[names_.size() - 1] = value;
}

}  // namespace xyla::expr
