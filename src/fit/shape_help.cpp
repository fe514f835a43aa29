#include "fit/shape_help.h"

#include <string_view>

#include "fit/background_terms.h"
#include "fit/fit_table.h"
#include "shapes/shape_registry.h"

namespace xyla::fit {

namespace {

constexpr std::string_view kConvolvedSuffix = "*";

struct KnownShape {
  std::string_view name, description;
  std::array<ParameterHelp, 5> params;
};

const ParameterHelp kPosition{"Position", "A: position of the maximum (X unit, e.g. eV)"};
const ParameterHelp kHeight{"Height", "B: height of the maximum (Y unit, e.g. counts)"};
const ParameterHelp kWidth{"Width",
                           "C: width (X unit): the FWHM of the Lorentzian part; a pure Gaussian "
                           "(mixing 1) has a FWHM of 0.83 C"};
const ParameterHelp kMixing{"Mixing", "D: Gauss-Lorentz mixing, 0 (Lorentzian) to 1 (Gaussian), no unit"};
const ParameterHelp kUnused{"(unused)", "E: not used by this shape"};

const KnownShape kKnown[] = {
    {"GL", "Gauss-Lorentz product", {kPosition, kHeight, kWidth, kMixing, kUnused}},
    {"DS",
     "Doniach-Sunjic metal line",
     {kPosition,
      kHeight,
      {"Width", "C: width of the line (X unit)"},
      {"Asymmetry", "D: asymmetry -0.5 to 0.5, no unit (0: symmetric)"},
      kUnused}},
    {"ET",
     "Gauss-Lorentz with an exponential tail",
     {kPosition,
      kHeight,
      kWidth,
      kMixing,
      {"Tail", "E: tail length 10|E| (X unit), towards lower X for E > 0, higher X for E < 0"}}},
};

const ParameterHelp kNoParameter{"(unused)", "E: not used by this background"};

// The backgrounds fitted with the peaks (their rows have no area and no percentage).
const KnownShape kBackgrounds[] = {
    {"SHIRLEY",
     "Shirley background fitted with the peaks (its step follows their integral)",
     {{{"Low-X level", "A: background level at the low-X end of the spectrum (Y unit)"},
       {"High-X level", "B: background level at the high-X end of the spectrum (Y unit)"},
       {"(unused)", "C: not used by this background"},
       {"(unused)", "D: not used by this background"},
       kNoParameter}}},
    {"TOUGAARD",
     "Tougaard background fitted with the peaks (universal cross-section)",
     {{{"B", "A: the scale B of the cross-section B T/(C + T^2)^2 (eV^2)"},
       {"Level", "B: background level at the low-loss end (Y unit)"},
       {"C", "C: the constant C of the cross-section (eV^2; 0 or empty: 1643)"},
       {"Side", "D: 0 losses towards larger X (binding energy), 1 towards smaller X"},
       kNoParameter}}},
    {"POLY",
     "Polynomial background A + B t + C t^2 + D t^3 + E t^4, t from the middle of the X range",
     {{{"t^0", "A: level at the middle of the spectrum's X range (Y unit)"},
       {"t^1", "B: slope (Y unit per X unit)"},
       {"t^2", "C: coefficient of t^2"},
       {"t^3", "D: coefficient of t^3"},
       {"t^4", "E: coefficient of t^4"}}}},
};

// LA(alpha, beta, m), named with its numbers.
const KnownShape kLa{"LA(1.5,2.5,50)",
                     "Asymmetric Lorentzian LA(alpha,beta,m): exponent alpha at larger X, beta at smaller X, "
                     "convolved with a Gaussian of FWHM m % of C",
                     {{kPosition,
                       {"Height", "B: height of the line before the Gaussian convolution (Y unit)"},
                       {"Width", "C: width (X unit): the FWHM of the line with alpha = beta = 1"},
                       {"Alpha", "D: exponent on the larger-X side, above 1/2 (from the name unless typed)"},
                       {"Beta", "E: exponent on the smaller-X side, above 1/2 (from the name unless typed)"}}}};

const ParameterHelp kGaussWidth{"Gauss width", "E: FWHM of the Gaussian the line is convolved with (X unit)"};

const KnownShape* known(std::string_view name) {
  for (const KnownShape& k : kKnown)
    if (k.name == name) return &k;
  return nullptr;
}

const KnownShape* knownBackground(std::string_view name) {
  const int code = backgroundCodeOfName(name);
  for (const KnownShape& k : kBackgrounds)
    if (code >= 0 && backgroundCodeOfName(k.name) == code) return &k;
  return nullptr;
}

// A registered shape this table has no words for: its expression arguments in order.
std::array<ParameterHelp, 5> genericParameters(const std::string& name) {
  std::array<ParameterHelp, 5> out;
  for (int i = 0; i < 5; ++i) {
    const std::string letter(1, static_cast<char>('A' + i));
    out[i] = {letter, letter + ": parameter " + std::to_string(i + 1) + " of " + name};
  }
  out[0] = kPosition;
  out[1] = kHeight;
  return out;
}

}  // namespace

std::vector<ShapeHelp> offeredShapes() {
  std::vector<ShapeHelp> out;
  for (const shapes::LineShape& s : shapes::lineShapes()) {
    if (s.fitName.empty() || s.code < 0) continue;
    const KnownShape* k = known(s.fitName);
    const std::string name(s.fitName);
    const std::string description = k ? std::string(k->description) : "line shape " + name;
    out.push_back({name, description});
    if (s.convolvable)
      out.push_back({name + std::string(kConvolvedSuffix), description + ", convolved with a Gaussian of width E"});
  }
  out.push_back({std::string(kLa.name), std::string(kLa.description)});
  for (const KnownShape& b : kBackgrounds) out.push_back({std::string(b.name), std::string(b.description)});
  return out;
}

std::array<ParameterHelp, 5> parameterHelp(const std::string& function) {
  double alpha = 0.0, beta = 0.0;
  std::string named;
  for (char c : function)
    if (c != ' ' && c != '\t' && c != '\r')
      named.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  if (shapes::laShapeOfName(named, alpha, beta) >= 0) return kLa.params;
  std::string name = cleanCell(function);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (name.empty()) return {{{"A", "A"}, {"B", "B"}, {"C", "C"}, {"D", "D"}, {"E", "E"}}};
  if (const KnownShape* b = knownBackground(name)) return b->params;
  if (shapes::fitCodeOfName(name) < 0) {
    std::array<ParameterHelp, 5> out;
    for (int i = 0; i < 5; ++i) {
      const std::string letter(1, static_cast<char>('A' + i));
      out[i] = {letter, letter + ": the variable " + letter + " of the user function"};
    }
    return out;
  }
  const bool convolved = name.ends_with(kConvolvedSuffix);
  if (convolved) name.pop_back();
  const KnownShape* k = known(name);
  std::array<ParameterHelp, 5> out = k ? k->params : genericParameters(name);
  if (convolved) out[4] = kGaussWidth;
  return out;
}

bool completesRow(const FitRow& before, const FitRow& after) {
  auto complete = [](const FitRow& r) {
    return r.hasFunction() && !r.get(FitCell::A).empty() && !r.get(FitCell::B).empty() && !r.get(FitCell::C).empty();
  };
  return !after.active() && complete(after) && !complete(before);
}

}  // namespace xyla::fit
