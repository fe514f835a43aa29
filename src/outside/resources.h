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

// The directory of the running executable.
std::string executableDirectory();

}  // namespace xyla::outside
