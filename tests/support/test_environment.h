#pragma once

namespace xyla::test {

// Puts Qt on the offscreen platform and gives it a private runtime directory; call
// before the application object is made.
void prepareTestEnvironment();

}  // namespace xyla::test
