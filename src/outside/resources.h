#pragma once

#include <string>

namespace xyla::outside {

// The Perl interpreter every outside script runs under.
inline const char* const kPerl = "/usr/bin/perl";

// Path of a shipped resource: the Perl scripts ("pfpre.pl", "spline2.pl", ...) live in
// share/xyla and the helper programs ("spline2", "evalsp") in lib/xyla, both beside the
// directory of the running executable (bin/). The build tree has the same layout, so
// the programs and the tests find them there. "" when the resource is missing.
std::string findResource(const std::string& name);

// The folder of the Perl module the filter and import wrappers use (lib/xyla/perl beside
// the executable's folder), or "" when it is missing.
std::string perlModuleDirectory();
// PERL5LIB for a Perl child: that folder before whatever the environment already names.
std::string perlLibraryPath();

// A module of the program's own (a shared object among its resources) and its entry
// function's answer, the module's table of functions; or why there is none.
struct ModuleEntry {
  const void* table = nullptr;  // what the entry function answered
  bool missing = false;         // the file is not among the resources
  std::string why;              // the loader's reason when the file is there but unusable
};

// Finds the module `file` with findResource, loads it and calls its entry function
// `entry` (no arguments, answers a pointer). The module stays loaded; callers keep the
// answer rather than asking again.
ModuleEntry openModule(const char* file, const char* entry);

// The directory of the running executable.
std::string executableDirectory();

}  // namespace xyla::outside
