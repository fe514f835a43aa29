#include "analysis/dialog_fields.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "model/manager.h"
#include "model/settings.h"
#include "model/time_format.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

// The longest number at the start of `text` after white space and an optional sign.
double leadingNumber(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  double v = 0.0;
  const auto r = std::from_chars(text.data() + i, text.data() + text.size(), v);
  if (r.ec == std::errc::result_out_of_range) return std::isinf(v) ? v : 0.0;
  return r.ec == std::errc() ? v : 0.0;
}

}  // namespace

double fieldValue(const std::string& text) {
  if (const std::optional<double> t = parseTimeExact(text, timeDisplayFormat())) return *t;
  return leadingNumber(text);
}

int fieldInt(const std::string& text) {
  const double v = std::trunc(leadingNumber(text));
  if (!(v > -2147483648.0 && v < 2147483648.0)) return 0;
  return static_cast<int>(v);
}

void setGlobalVariable(XylaDocument& doc, const std::string& name, double value) {
  if (doc.M) doc.M->GV[name] = value;
}

void setLastBuffer(XylaDocument& doc, int index) { setGlobalVariable(doc, "lastbuffer", index); }

}  // namespace xyla
