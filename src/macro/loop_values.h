#pragma once

#include <cstddef>
#include <vector>

namespace xyla {

// The values of a range argument or the values a loop still has to visit. A range such
// as 1..2000000 or 0:1e6:0.5 is kept as its start, step and count and produced one value
// at a time, so a loop of any length costs no memory; listed values are kept as given.
class LoopValues {
 public:
  LoopValues() = default;
  static LoopValues listed(std::vector<double> values);
  // start, start + step, ... (count values).
  static LoopValues progression(double start, double step, long long count);

  // The same values, each written "%g" and read back as a value loop shows them (six
  // significant digits).
  LoopValues asText() const {
    LoopValues v = *this;
    v.asText_ = true;
    return v;
  }

  bool empty() const { return remaining() == 0; }
  long long remaining() const;
  double front() const;
  void pop_front();
  void clear() { *this = LoopValues(); }
  // Every value that remains, for tests and short lists.
  std::vector<double> toVector() const;

 private:
  std::vector<double> list_;
  std::size_t next_ = 0;
  bool progression_ = false;
  bool asText_ = false;
  double start_ = 0.0, step_ = 0.0;
  long long index_ = 0, count_ = 0;
};

}  // namespace xyla
