// Survey commands: label the peaks of a survey with their most likely lines, and mark
// where the lines of chosen elements lie. Labels are texts standing upright above the
// spectrum at the data positions; each command replaces its own earlier labels.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "analysis/energy_scale.h"
#include "analysis/survey.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/xps_family.h"
#include "model/manager.h"
#include "model/ui.h"

namespace xyla {

namespace {

using G = CommandGroup;

// Tags of the labels of surveylabel and surveymark (rmtext takes them away).
constexpr int kPeakLabelTag = 1901;
constexpr int kElementLabelTag = 1902;

void removeTexts(XylaDocument& doc, int tag) {
  std::erase_if(doc.T, [tag](const std::unique_ptr<TextObject>& t) { return t->tag == tag; });
}

// An upright label whose lower end stands a little above (x, y) of the buffer's range.
void addLabel(Macro& m, const DataBuffer& b, double x, double y, const std::string& text, int tag) {
  auto t = std::make_unique<TextObject>(m.PD);
  t->tag = tag;
  t->text = text;
  t->font = FontSpec::system(9.0);
  t->color = m.getColor(m.defr, m.defg, m.defb);
  t->angle = 90.0;
  t->tbalign = 3;  // middle left: after the turn, the middle of the lower end
  t->posmode = b.belongx == 2 ? 2 : 1;
  const double lift = 0.03 * std::fabs(b.getYmax() - b.getYmin());
  TextObject& placed = m.PD->addText(std::move(t));
  placed.setPosition(x, y + lift);
}

bool photonEnergy(Macro& m, int p, double& hv) {
  hv = anodeEnergy(m.S[p]);
  if (hv == 0.0) hv = m.D[p];
  if (hv > 0.0 && std::isfinite(hv)) return true;
  m.M->ui().alert("Survey", "The anode must be al, mg or a photon energy in eV", {"OK"});
  return false;
}

// The largest Y of `b` within `reach` of x (the spectrum's top near a line).
double topNear(const DataBuffer& b, double x, double reach) {
  double top = -INFINITY;
  for (int i = 0; i < b.count(); ++i)
    if (std::fabs(b.X[i] - x) <= reach && std::isfinite(b.Y[i])) top = std::max(top, b.Y[i]);
  return std::isfinite(top) ? top : b.getYmin();
}

// surveylabel anode tolerance buffers: finds the peaks of each survey and labels them.
void surveylabel(Macro& m) {
  double hv = 0.0;
  if (!photonEnergy(m, 0, hv)) return;
  const double tol = m.D[1] > 0.0 && std::isfinite(m.D[1]) ? m.D[1] : 2.5;
  const std::vector<xps::SurveyLine> lines = xps::surveyLines(hv);
  removeTexts(*m.PD, kPeakLabelTag);
  forEachBuffer(m, [&](DataBuffer& b) {
    std::vector<xps::SurveyPeak> peaks = xps::findSurveyPeaks(b.X, b.Y);
    const double shift = xps::assignLines(peaks, lines, tol, b.getXmin(), b.getXmax());
    m.M->GV["surveypeaks"] = static_cast<double>(peaks.size());
    m.M->GV["surveyshift"] = shift;
    std::string table = "BE (eV)    height     lines\n";
    int i = 0;
    for (const xps::SurveyPeak& p : peaks) {
      std::string label;
      for (const std::string& l : p.labels) label += (label.empty() ? "" : " / ") + l;
      char buf[200];
      std::snprintf(buf, sizeof buf, "%8.1f %10.4g     %s\n", p.be, p.height, label.empty() ? "?" : label.c_str());
      table += buf;
      m.M->GV["surveybe" + std::to_string(++i)] = p.be;
      if (!label.empty()) addLabel(m, b, p.be, topNear(b, p.be, 1.0), label, kPeakLabelTag);
    }
    char shiftLine[80];
    std::snprintf(shiftLine, sizeof shiftLine, "lines matched %+.1f eV from the tables\n", shift);
    m.print(table + shiftLine);
  });
}

// surveymark anode elements buffer: marks the strong lines of the elements over the
// buffer's spectrum.
void surveymark(Macro& m) {
  double hv = 0.0;
  if (!photonEnergy(m, 0, hv)) return;
  const DataBuffer* b = m.PD->buffer(m.I[2]);
  if (!b || b->count() == 0) {
    m.M->ui().alert("Survey", "Buffer " + std::to_string(m.I[2]) + " does not exist or is empty", {"OK"});
    return;
  }
  std::vector<std::string> unknown;
  const auto lines = xps::elementLines(xps::splitElements(m.S[1]), hv, b->getXmin(), b->getXmax(), unknown);
  if (!unknown.empty()) {
    m.M->ui().alert("Survey", "Unknown element " + unknown.front(), {"OK"});
    return;
  }
  removeTexts(*m.PD, kElementLabelTag);
  for (const xps::SurveyLine& l : lines) addLabel(m, *b, l.be, topNear(*b, l.be, 1.0), l.label, kElementLabelTag);
  m.M->GV["surveymarks"] = static_cast<double>(lines.size());
}

}  // namespace

void registerSurveyCommands(CommandTable& t) {
  t.add(G::Xps, "surveylabel", "udb", 3, surveylabel,
        {"anode tolerance buffers", "Finds the peaks of each survey spectrum and labels them with their lines."});
  t.add(G::Xps, "surveymark", "usi", 3, surveymark,
        {"anode elements buffer", "Marks the strong lines of the elements over the buffer's spectrum."});
}

}  // namespace xyla
