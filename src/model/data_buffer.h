#pragma once

#include <cstddef>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "model/colour.h"

namespace xyla {

class Ui;

// Takes the finite values of v[0..n) into the extent [lo, hi] in order, with strict
// comparisons (of equal values the first one stays); `have` tells whether there is one.
// This is the extent a buffer keeps of each of its columns.
void extendExtentOver(const double* v, std::size_t n, bool& have, double& lo, double& hi);

// Takes the extent of a later stretch of values ([partLo, partHi], when partHave) into
// [lo, hi] as if that stretch had been scanned after the values before: merging the
// extents of consecutive stretches in order gives the extent of the whole, to the bit.
void mergeExtent(bool& have, double& lo, double& hi, bool partHave, double partLo, double partHi);

// One data series of a plot: parallel X/Y lists with optional X/Y error lists, the
// cached extent of the finite values, the drawing style, texts and an optional MySQL
// source. Out-of-range indexes are ignored by setters and read as 0.0 by getters.
class DataBuffer {
 public:
  // Makes an empty buffer with the built-in style and the user's default style.
  DataBuffer();
  DataBuffer(const DataBuffer&) = delete;
  DataBuffer& operator=(const DataBuffer&) = delete;

  // ---- construction and style ----

  // Built-in style (lines on, every other plot flag off) overlaid by the "B..." user
  // defaults that are present.
  void setDefaultStyle();
  // Stores this buffer's style as the user's default style (every "B..." key but
  // "BBarColor" and "BSymbolFill", which are only read) and flushes the store.
  void saveAsDefaultStyle() const;
  // Built-in style with every plot flag off, lines included; no user defaults.
  void clearStyle();
  // Copies colours, widths, sizes, dash, symbol and the ten plot flags of `other`.
  void copyStyle(const DataBuffer& other);
  // Deep copy of data, texts, style, error-bar and MySQL settings (not the extent; call
  // rescale on the copy). Re-arms `warn` on this buffer.
  std::unique_ptr<DataBuffer> copyWithZone();

  // ---- point access ----

  // Number of points; 0 when X and Y differ in length.
  int count() const;
  double xDoubleValueAt(int i) const;
  double yDoubleValueAt(int i) const;
  double xDoubleErrorAt(int i) const;
  double yDoubleErrorAt(int i) const;
  double getXmin() const { return xmin; }
  double getXmax() const { return xmax; }
  double getYmin() const { return ymin; }
  double getYmax() const { return ymax; }
  bool getShow() const { return show; }
  void setShow(bool on) { show = on; }
  const std::string& getComment() const { return comment; }
  void setComment(const std::string& text) { comment = text; }
  const std::string& getSource() const { return source; }
  void setSource(const std::string& text) { source = text; }
  // True when both error lists are non-empty and of equal length.
  bool haserror() const;
  void setRm() { rm = true; }
  // Skips the next checkDX or checkSort once.
  void disableWarn() { warn = false; }

  // ---- changing points ----

  // Appends a point (zero errors when the buffer has errors) and widens the extent.
  void addDoubleValue(double x, double y);
  // Appends to all four lists and widens the extent.
  void addDoubleValueError(double x, double y, double ex, double ey);
  // Appends to X and Y only; the caller rescales when done.
  void quickAddDoubleValue(double x, double y) {
    X.push_back(x);
    Y.push_back(y);
  }
  // Appends to all four lists; the caller rescales when done.
  void quickAddDoubleValueError(double x, double y, double ex, double ey) {
    X.push_back(x);
    Y.push_back(y);
    EX.push_back(ex);
    EY.push_back(ey);
  }
  void setXDoubleValueAt(int i, double v);
  void setYDoubleValueAt(int i, double v);
  // Create zero errors first when the buffer has none.
  void setXDoubleErrorAt(int i, double v);
  void setYDoubleErrorAt(int i, double v);
  void deletePoint(int i);
  // Removes every valid index of the set; one rescale at the end.
  void deletePoints(const std::set<int>& indexes);
  // Replaces the points (and errors, when `other` has them) by those of `other`.
  void copyData(const DataBuffer& other);
  // Gives every point a zero X and Y error unless the buffer has errors already.
  void addError();
  // Drops the error lists.
  void deleteError();
  // Recomputes the extent of the finite values (nothing while `norescale` is set).
  void rescale();
  // Takes the points from index `from` on into the extent, which must be that of the
  // points before them: afterwards it is what rescale() would give. Lets a reader that
  // appends in runs keep the extent while the values are still in the cache.
  void extendExtent(std::size_t from);

  // ---- per-buffer data primitives ----

  void addX(double d);
  void addY(double d);
  // y := y + a*x + b
  void linBg(double a, double b);
  // Maps a1 to b1 and a2 to b2 linearly.
  void normX(double a1, double a2, double b1, double b2);
  void normY(double a1, double a2, double b1, double b2);
  // Keeps the points strictly inside (mode 0) or outside (mode 1) the X (axis 0) or Y
  // (axis 1) interval between p and q; beeps and keeps everything when none remains.
  void cut(int axis, double p, double q, int mode, Ui& ui);
  // Replaces each complete group of n points by its mean.
  void reduction(int n, Ui& ui);
  // Moving mean over the 2n indexes i-n .. i+n-1.
  void smooth(int n, Ui& ui);
  // Shell sort ascending by X (key 0) or Y (other keys).
  void sort(int key);
  void swapXY();
  // Asks before a Fourier transform of data without constant spacing; true = go on.
  bool checkDX(Ui& ui);
  // Offers to sort unsorted X before operations that need order; true = go on.
  bool checkSort(Ui& ui);

  // ---- fields ----

  // The fields below the extent are described in bufferProperties() (built-in values,
  // file keys, user defaults, commands); the constructor sets them from there.
  bool norescale = false;
  std::vector<double> X;
  std::vector<double> Y;
  std::vector<double> EX;
  std::vector<double> EY;
  double xmin = 0.0, xmax = 0.0, ymin = 0.0, ymax = 0.0;
  int belongx, belongy;
  std::string source, comment, dynsize;
  bool havexminmax, haveyminmax;
  bool show, rm;
  Colour color, fillcolor, errorcolor, barcolor, stickcolor;
  double linewidth, dashwidth, symbolsize, sticksize;
  int dash, symbol;
  bool plotlines, plotsymbols, plotybars, plotxbars, plotfhist, plotysticks, plotxsticks, plotdots, plotarea, plothist;
  bool stickabs, symfill;
  bool hassource;
  int my_port, my_xcol, my_ycol;
  std::string my_sql, my_host, my_db, my_user, my_passwd;
  bool my_savepasswd;  // the password goes into document files (else into the keyring)
  bool my_autoupdate;
  bool plotlegend;
  int errorbarx, errorbary;
  double errorvalx, errorvaly, errorwidth;
  bool warn = true;

 private:
  void builtInStyle(bool lines);
  void widenExtent(double x, double y);
  void replaceValue(std::vector<double>& column, bool xcolumn, int i, double v);
  void keepPoints(const std::vector<char>& keep);
};

}  // namespace xyla
