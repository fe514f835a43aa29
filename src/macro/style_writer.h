#pragma once

#include <string>

namespace xyla {

class XylaDocument;

// The whole look of `doc` (window, margins, frame, buffer styles, drawn axes, legend)
// as a macro of style commands; running it on another document with at least as many
// buffers gives that document the same look.
std::string styleScript(const XylaDocument& doc);

}  // namespace xyla
