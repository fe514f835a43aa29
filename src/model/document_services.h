#pragma once

#include <string>

namespace xyla {

class DataBuffer;
class Ui;
class XylaDocument;

// Runs the stored macros of a name on a document: the work of a document's macro timer,
// done by the macro layer, which registers itself with the controller.
class MacroRunner {
 public:
  virtual ~MacroRunner() = default;
  virtual void runMacrosNamed(XylaDocument& doc, const std::string& name) = 0;
};

// Reads a buffer again from the source it was imported from: the work of a document's
// refresh timer and of opening a document with such buffers, done by the import layer.
class SourceReader {
 public:
  virtual ~SourceReader() = default;
  // Replaces the points of `b`; problems are told through `ui`.
  virtual void refreshFromSource(DataBuffer& b, Ui& ui) const = 0;
};

}  // namespace xyla
