#include "app/buffer_table.h"

#include <cstdio>

#include "model/xyla_document.h"

namespace xyla {

namespace {

std::string rangeLine(int range, double x0, double x1, double y0, double y1) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "range %d\tx %.10g .. %.10g\ty %.10g .. %.10g\n", range, x0, x1, y0, y1);
  return buf;
}

}  // namespace

std::string bufferTable(const XylaDocument& doc) {
  std::string out = "index\tbelongx\tbelongy\tpoints\tsource\tcomment\n";
  for (int i = 0; i < doc.bufferCount(); ++i) {
    const DataBuffer& b = *doc.buffer(i);
    out += std::to_string(i) + '\t' + std::to_string(b.belongx) + '\t' + std::to_string(b.belongy) + '\t' +
           std::to_string(b.count()) + '\t' + b.source + '\t' + b.comment + '\n';
  }
  out += rangeLine(1, doc.xmin1, doc.xmax1, doc.ymin1, doc.ymax1);
  out += rangeLine(2, doc.xmin2, doc.xmax2, doc.ymin2, doc.ymax2);
  return out;
}

}  // namespace xyla
