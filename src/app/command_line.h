#pragma once

#include <string>
#include <vector>

namespace xyla {

// What the command line asks for. Options are compared without regard to case; each
// file option takes the next argument; anything else is ignored.
struct CommandLine {
  std::string importFile;  // "-i": ASCII file imported into the start document
  std::string macroFile;   // "-m": macro file run on the start document
  std::string fileName;    // "-f": value of the macro string variable "file"
  bool quit = false;       // "-q": quit after the batch steps
  bool list = false;       // "--list": print the buffer table after the batch steps
  // "--allow-network": documents may refresh from any MySQL server without asking
  bool allowNetwork = false;
  std::string exportFile;  // "--export": picture of the start document written last
  int dpi = 72;            // "--dpi": resolution of raster pictures (72 = 1 pixel per point)
  bool badDpi = false;     // "--dpi" was given something that is not a positive integer
  bool help = false;       // "--help" (also "-h"): print the options and stop
  bool version = false;    // "--version": print the program's version and stop
  bool commands = false;   // "--commands [name]": describe the macro commands and stop
  std::string commandName; // the one command "--commands" was asked about, "" for all
  bool commandsMarkdown = false;  // "--commands-markdown": the command reference docs/commands.md
  // "--fit-batch model.mac": the macro sets up the fit on the first file, then the fit
  // table is applied to every file; "-o file" takes the table of results.
  std::string fitBatch, output;
  std::vector<std::string> errors;  // options that are missing their value
  // Arguments that are no option: files the desktop hands over, opened as documents by
  // the interactive program (batch runs ignore them; a fit batch fits them).
  std::vector<std::string> documents;
};

// The text "--help" prints.
std::string commandLineHelp();

// Reads the arguments after the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

}  // namespace xyla
