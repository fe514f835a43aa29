#pragma once

#include <vector>

// Vectors and matrices indexed from 1 (or from any low index), the form in which the fit
// numbers its parameters. They own their storage; the free functions release it early.
namespace xyla::fit {

// Storage starts at index 0 so that every index from the low one up is inside it;
// low indexes must not be negative.
template <typename T>
class Vector1 {
 public:
  Vector1() = default;
  Vector1(int low, int high) : v_(high >= low && low >= 0 ? high + 1 : 0, T{}) {}
  T& operator[](int i) { return v_[i]; }
  const T& operator[](int i) const { return v_[i]; }
  // Pointer p with p[i] = element i, for code that takes raw 1-based arrays.
  T* base() { return v_.data(); }
  const T* base() const { return v_.data(); }
  void fill(T value) { v_.assign(v_.size(), value); }
  void release() { v_.clear(); v_.shrink_to_fit(); }

 private:
  std::vector<T> v_;
};

template <typename T>
class Matrix1 {
 public:
  Matrix1() = default;
  Matrix1(int rowLow, int rowHigh, int colLow, int colHigh)
      : rows_(rowHigh >= rowLow && rowLow >= 0 ? rowHigh + 1 : 0),
        cols_(colHigh >= colLow && colLow >= 0 ? colHigh + 1 : 0),
        v_(static_cast<std::size_t>(rows_) * cols_, T{}) {}
  // Row i as a pointer indexed by column: m[i][j].
  T* operator[](int i) { return v_.data() + static_cast<std::size_t>(i) * cols_; }
  const T* operator[](int i) const { return v_.data() + static_cast<std::size_t>(i) * cols_; }
  void release() { v_.clear(); v_.shrink_to_fit(); rows_ = cols_ = 0; }

 private:
  int rows_ = 0, cols_ = 0;
  std::vector<T> v_;
};

inline Vector1<float> allocV(int low, int high) { return Vector1<float>(low, high); }
inline Vector1<int> iallocV(int low, int high) { return Vector1<int>(low, high); }
inline Vector1<double> dallocV(int low, int high) { return Vector1<double>(low, high); }
inline Matrix1<float> allocM(int rl, int rh, int cl, int ch) { return Matrix1<float>(rl, rh, cl, ch); }
inline Matrix1<int> iallocM(int rl, int rh, int cl, int ch) { return Matrix1<int>(rl, rh, cl, ch); }
inline Matrix1<double> dallocM(int rl, int rh, int cl, int ch) { return Matrix1<double>(rl, rh, cl, ch); }
inline void freeV(Vector1<float>& v) { v.release(); }
inline void ifreeV(Vector1<int>& v) { v.release(); }
inline void dfreeV(Vector1<double>& v) { v.release(); }
inline void freeM(Matrix1<float>& m) { m.release(); }
inline void ifreeM(Matrix1<int>& m) { m.release(); }
inline void dfreeM(Matrix1<double>& m) { m.release(); }

}  // namespace xyla::fit
