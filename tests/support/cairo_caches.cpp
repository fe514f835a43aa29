// cairo and fontconfig keep the fonts they have loaded in process-wide caches; emptying
// them after the last test keeps leak checkers quiet about memory only freed at exit.
// Linked into the test programs that write through cairo.
#include <cairo.h>
#include <gtest/gtest.h>

namespace {

class CairoCaches : public testing::Environment {
 public:
  void TearDown() override { cairo_debug_reset_static_data(); }
};

const testing::Environment* const kCairoCaches = testing::AddGlobalTestEnvironment(new CairoCaches);

}  // namespace

// Sanitizer builds: cairo 1.16 keeps a font-subset buffer when a PostScript surface is
// finished (about 1.7 KB per EPS file); it is the library's own. The fast unwinder stops
// at cairo's first frame (it has no frame pointers), so the suppression names the
// library; unwinding every allocation the slow way instead made the macro tests with
// millions of allocations run for hours.
extern "C" const char* __lsan_default_suppressions() { return "leak:cairo_surface_finish\nleak:libcairo.so\n"; }
