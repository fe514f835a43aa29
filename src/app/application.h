#pragma once

#include <iosfwd>
#include <memory>
#include <vector>

#include "app/command_line.h"
#include "model/manager.h"

namespace xyla {

class XylaDocument;

// The running program: the controller, the open documents and the start-up sequence.
class Application {
 public:
  explicit Application(Ui& ui);
  ~Application();

  Manager& manager() { return manager_; }
  // Opens a new untitled document and makes it current.
  XylaDocument& newDocument();

  // Carries out the command line on the start document: "-f", "-i", "-m", then
  // "--list". Answers the process exit status.
  int runCommandLine(const CommandLine& cl, std::ostream& out, std::ostream& err);

 private:
  Manager manager_;
  std::vector<std::unique_ptr<XylaDocument>> documents_;
};

}  // namespace xyla
