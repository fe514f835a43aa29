#include "outside/spline_programs.h"

#include <charconv>

#include "outside/private_directory.h"
#include "outside/resources.h"

namespace xyla::outside {

std::string numberTable(const std::vector<const std::vector<double>*>& columns) {
  std::string out;
  if (columns.empty()) return out;
  const std::size_t n = columns.front()->size();
  out.reserve(n * columns.size() * 25);
  char tmp[64];
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (c) out += '\t';
      const auto res = std::to_chars(tmp, tmp + sizeof tmp, (*columns[c])[i], std::chars_format::general, 17);
      out.append(tmp, res.ptr);
    }
    out += '\n';
  }
  return out;
}

ChildResult runSplineDriver(const SplineData& data, const std::string& options1, const std::string& options2,
                            Ui* host) {
  const std::string driver = findResource("spline2.pl"), spline2 = findResource("spline2"),
                    evalsp = findResource("evalsp");
  PrivateDirectory dir;
  if (driver.empty() || spline2.empty() || evalsp.empty() || !dir.ok()) return {};
  std::vector<const std::vector<double>*> input = {&data.x, &data.y};
  if (data.errors) input.push_back(&data.ey);
  if (!dir.write("input.dat", numberTable(input)) || !dir.write("xaxis.dat", numberTable({&data.x}))) return {};
  ChildRun run;
  run.program = kPerl;
  run.arguments = {driver, dir.path(), spline2, evalsp, options1, options2};
  run.workingDirectory = dir.path();
  run.timeLimit = batchTimeLimit();
  run.host = host;
  return runChild(run);
}

}  // namespace xyla::outside
