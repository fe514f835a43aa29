#include "app/command_line.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace xyla {

namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

void readDpi(const std::string& text, CommandLine& cl) {
  int value = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size() || value <= 0) {
    cl.badDpi = true;
    return;
  }
  cl.dpi = value;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string opt = lower(args[i]);
    const bool takesValue = opt == "-i" || opt == "-m" || opt == "-f" || opt == "--export" || opt == "--dpi" ||
                            opt == "--fit-batch" || opt == "-o";
    if (takesValue && i + 1 >= args.size()) {
      cl.errors.push_back(args[i] + " needs a value");
      continue;
    }
    if (opt == "-i") cl.importFile = args[++i];
    else if (opt == "-m") cl.macroFile = args[++i];
    else if (opt == "-f") cl.fileName = args[++i];
    else if (opt == "-q") cl.quit = true;
    else if (opt == "--list") cl.list = true;
    else if (opt == "--allow-network")
      cl.allowNetwork = true;
    else if (opt == "--export") cl.exportFile = args[++i];
    else if (opt == "--fit-batch")
      cl.fitBatch = args[++i];
    else if (opt == "-o")
      cl.output = args[++i];
    else if (opt == "--dpi") readDpi(args[++i], cl);
    else if (opt == "--help" || opt == "-h") cl.help = true;
    else if (opt == "--version")
      cl.version = true;
    else if (opt == "--commands-markdown") cl.commandsMarkdown = true;
    else if (opt == "--commands") {
      cl.commands = true;
      if (i + 1 < args.size() && !args[i + 1].starts_with("-")) cl.commandName = args[++i];
    }
    else if (!args[i].empty() && args[i][0] != '-') cl.documents.push_back(args[i]);
  }
  return cl;
}

std::string commandLineHelp() {
  return "Usage: xyla [options]\n"
         "  -i file          import an ASCII data file into the start document\n"
         "  -m file          run a macro file on the start document\n"
         "  -f name          set the macro string variable $file\n"
         "  -q               quit after the batch steps\n"
         "  --list           print the buffer table and the ranges\n"
         "  --export file    write a picture of the start document (.pdf .eps .png .jpg .svg)\n"
         "  --dpi n          resolution of PNG and JPEG pictures (default 72)\n"
         "  --fit-batch model.mac -o results.csv files...\n"
         "                   run the macro on the first file, then fit its fit table to every\n"
         "                   file (the same converged Shirley background when the macro's fit\n"
         "                   had one), all processors, one row per file in results.csv\n"
         "  --allow-network  let documents refresh from MySQL servers none of your queries name\n"
         "  --commands       list every macro command with its arguments\n"
         "  --commands name  describe one macro command\n"
         "  --commands-markdown  the command reference as Markdown (docs/commands.md)\n"
         "  --version        print the program's version\n"
         "  --help           print this text\n"
         "Exit status: 0 when every step succeeded; 1 when a file cannot be read or written,\n"
         "an option is missing its value, or a macro stopped on an error.\n";
}

}  // namespace xyla
