#include "macro/loop_values.h"

#include <cstdlib>

#include "model/text_scan.h"

namespace xyla {

LoopValues LoopValues::listed(std::vector<double> values) {
  LoopValues v;
  v.list_ = std::move(values);
  return v;
}

LoopValues LoopValues::progression(double start, double step, long long count) {
  LoopValues v;
  v.progression_ = true;
  v.start_ = start;
  v.step_ = step;
  v.count_ = count > 0 ? count : 0;
  return v;
}

long long LoopValues::remaining() const {
  if (progression_) return count_ - index_;
  return static_cast<long long>(list_.size() - next_);
}

double LoopValues::front() const {
  // Computed from the start each time, so no rounding error builds up over long loops.
  const double v = progression_ ? start_ + static_cast<double>(index_) * step_ : list_[next_];
  return asText_ ? std::strtod(formatG(v).c_str(), nullptr) : v;
}

void LoopValues::pop_front() {
  if (empty()) return;
  if (progression_) ++index_;
  else ++next_;
}

std::vector<double> LoopValues::toVector() const {
  std::vector<double> out;
  for (LoopValues rest = *this; !rest.empty(); rest.pop_front()) out.push_back(rest.front());
  return out;
}

}  // namespace xyla
