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
