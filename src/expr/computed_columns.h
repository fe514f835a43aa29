#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace xyla {
class DataBuffer;
class Manager;
class XylaDocument;
}  // namespace xyla

namespace xyla::expr {

class Expression;

// Replaces one column of `b` (mode 0 X, 1 Y, 2 X error, 3 Y error) by the value of
// `text` at every point. The expression sees the point variables x, y, ex, ey, bn, nb,
// cb, np, dp (old values for every point), then the registers r0, r1, ... and the
// global variables. A text that does not parse shows "Expression Error" and changes
// nothing (but the zero errors that modes 2 and 3 create first). Answers success.
bool calc(DataBuffer& b, int mode, const std::string& text, const std::vector<double>& registers,
          const std::map<std::string, double>& globals, XylaDocument& doc);

// calc on every buffer of the selection of the current document, in ascending order,
// with the controller's registers and global variables; stops at the first text error.
bool bufferCalc(Manager& m, int mode, const std::string& text);

// An expression prepared for one buffer with the point variables, evaluated per point;
// the view uses it for per-point symbol sizes.
class PointEvaluator {
 public:
  PointEvaluator(const DataBuffer& b, const XylaDocument& doc, const std::string& text,
                 const std::vector<double>& registers, const std::map<std::string, double>& globals,
                 bool reportErrors = true);
  ~PointEvaluator();
  PointEvaluator(const PointEvaluator&) = delete;
  PointEvaluator& operator=(const PointEvaluator&) = delete;

  // Whether the text parsed.
  bool ok() const { return ok_; }
  // The value at point i of the buffer.
  double valueAt(int i);

 private:
  const DataBuffer& b_;
  std::unique_ptr<Expression> e_;
  bool ok_ = false;
};

}  // namespace xyla::expr
