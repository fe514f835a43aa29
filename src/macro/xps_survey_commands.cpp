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
#include "model/view_mapping.h"

namespace xyla {

namespace {

using G = CommandGroup;

// Tags of the labels of surveylabel and surveymark (rmtext takes them away).
constexpr int kPeakLabelTag = 1901;
constexpr int kElementLabelTag = 1902;

void removeTexts(XylaDocument& doc, int tag) {
  std::erase_if(doc.T, [tag](const std::unique_ptr<TextObject>& t) { return t->tag == tag; });
}

// A label to stand upright over the spectrum at data X `x`, above the spectrum's top `y`.
struct Label {
  double x, y;
  std::string text;
};

constexpr double kLabelSize = 9.0;      // points
constexpr double kLabelLift = 4.0;      // points between the spectrum and a label
constexpr double kLabelSpacing = 11.0;  // points between the middles of labels side by side

// Length of an upright label in points (an estimate from the character count, as the
// layout has no font metrics at hand).
double labelLength(const std::string& text) { return 0.58 * kLabelSize * static_cast<double>(text.size()) + 2.0; }

// Places the labels of buffer `b` as texts of `tag` inside the frame, none over another:
// a label that would touch the one before it moves aside by up to two label widths,
// else stands above it; the Y range grows so that the highest label ends in the frame.
void placeLabels(Macro& m, const DataBuffer& b, std::vector<Label> labels, int tag) {
  XylaDocument& doc = *m.PD;
  const int wx = b.belongx == 2 ? 2 : 1, wy = b.belongy == 2 ? 2 : 1;
  double& ymin = wy == 2 ? doc.ymin2 : doc.ymin1;
  double& ymax = wy == 2 ? doc.ymax2 : doc.ymax1;
  const double bottom = doc.marginbottom, height = doc.viewHeight - doc.marginbottom - doc.margintop;
  const double left = doc.marginleft + 0.5 * kLabelSpacing;
  const double right = doc.viewWidth - doc.marginright - 0.5 * kLabelSpacing;
  std::erase_if(labels, [&](const Label& l) { return !std::isfinite(l.x) || !std::isfinite(l.y); });
  for (Label& l : labels) l.x = std::clamp(xPoint(doc, l.x, wx), left, right);  // view X from here on
  std::sort(labels.begin(), labels.end(), [](const Label& a, const Label& b) { return a.x < b.x; });
  // Side by side first; the lift of a label in a stack is counted in label lengths.
  std::vector<double> stacked(labels.size(), 0.0);
  for (std::size_t i = 1; i < labels.size(); ++i) {
    const double wanted = labels[i - 1].x + kLabelSpacing;
    if (labels[i].x >= wanted) continue;
    if (wanted - labels[i].x <= 2.0 * kLabelSpacing && wanted <= right) {
      labels[i].x = wanted;
    } else {
      stacked[i] = stacked[i - 1] + labelLength(labels[i - 1].text) + kLabelLift;
      labels[i].y = std::max(labels[i].y, labels[i - 1].y);
    }
  }
  // The Y range that keeps every label's upper end inside the frame.
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const double room = height - 2.0 - kLabelLift - stacked[i] - labelLength(labels[i].text);
    if (room <= 0.1 * height || !(ymax > ymin)) continue;
    ymax = std::max(ymax, ymin + (labels[i].y - ymin) * height / room);
  }
  for (std::size_t i = 0; i < labels.size(); ++i) {
    auto t = std::make_unique<TextObject>(m.PD);
    t->tag = tag;
    t->text = labels[i].text;
    t->font = FontSpec::system(kLabelSize);
    t->color = m.getColor(m.defr, m.defg, m.defb);
    t->angle = 90.0;
    t->tbalign = 3;  // middle left: after the turn, the middle of the lower end
    t->posmode = wx;
    const double base = std::min(yPoint(doc, labels[i].y, wy), bottom + height) + kLabelLift + stacked[i];
    TextObject& placed = m.PD->addText(std::move(t));
    placed.setPosition(xValue(doc, labels[i].x, wx), yValue(doc, base, wy));
  }
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
    std::vector<Label> labels;
    int i = 0;
    for (const xps::SurveyPeak& p : peaks) {
      std::string label;
      for (const std::string& l : p.labels) label += (label.empty() ? "" : " / ") + l;
      char buf[200];
      std::snprintf(buf, sizeof buf, "%8.1f %10.4g     %s\n", p.be, p.height, label.empty() ? "?" : label.c_str());
      table += buf;
      m.M->GV["surveybe" + std::to_string(++i)] = p.be;
      if (!label.empty()) labels.push_back({p.be, topNear(b, p.be, 1.0), label});
    }
    placeLabels(m, b, labels, kPeakLabelTag);
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
  std::vector<Label> labels;
  for (const xps::SurveyLine& l : lines) labels.push_back({l.be, topNear(*b, l.be, 1.0), l.label});
  placeLabels(m, *b, labels, kElementLabelTag);
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
