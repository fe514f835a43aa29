#pragma once

#include <string>

namespace xyla {

// The ten options of an ASCII import, in the order the import operation takes them.
struct ImportOptions {
  std::string file;          // path of the file to read
  int mode = 0;              // 0 = one buffer per column; 1 = one buffer from X, Y and errors
  std::string source;        // `source` of each new buffer; empty = the file path
  std::string comment;       // `comment` of each new buffer
  std::string separator;     // column separator; empty = the numbers found in the line
  int xcolumn = 1;           // 1-based X column (mode 0); 0 = none
  bool noxcolumn = false;    // X is the running number of the data line
  std::string ignore;        // lines containing this text are skipped
  std::string commentmark;   // everything from this text to the line end is dropped
  bool numberlines = true;   // only lines starting with a digit or "+,-." are read
};

}  // namespace xyla
