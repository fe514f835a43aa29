#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/document_fixture.h"
#include "support/test_files.h"

namespace xyla::test {

// The shared document fixture with the importer tests' helpers.
class ImportFixture : public DocumentFixture {
 protected:
  // Writes `bytes` to a file of the temporary directory and answers its path.
  std::string file(const std::string& name, const std::string& bytes) {
    const std::string path = settings.path(name);
    writeFile(path, bytes);
    return path;
  }

  // The points of a buffer as "x,y x,y ..." with up to 10 significant digits.
 public:
  static std::string points(const DataBuffer& b) {
    std::ostringstream s;
    s.precision(10);
    for (int i = 0; i < b.count(); ++i) s << (i ? " " : "") << b.X[i] << ',' << b.Y[i];
    return s.str();
  }
 protected:
  // Every buffer of `d`: its points, one buffer a line.
  static std::string dump(const XylaDocument& d) {
    std::string out;
    for (const auto& b : d.DB) out += points(*b) + "\n";
    return out;
  }
  // The alerts as "Title: message" lines, with `path` written as DATA.
  std::string alerts(const std::string& path = "") const {
    std::string out;
    for (const auto& a : ui.alerts) out += a.title + ": " + a.message + "\n";
    for (std::size_t at; !path.empty() && (at = out.find(path)) != std::string::npos;) out.replace(at, path.size(), "DATA");
    return out;
  }
};

}  // namespace xyla::test
