#include "app/inspector_actions.h"

#include <map>
#include <string>

#include "model/manager.h"

namespace xyla::inspector {

namespace {

using Groups = std::vector<ActionGroup>;

const std::map<std::string_view, Groups>& table() {
  static const std::map<std::string_view, Groups> t = {
      {"Normalize",
       {{"References",
         {{"NormAxis", "Axis", "0", {"X", "Y"}},
          {"NormRef1", "Reference 1", "", {}},
          {"NormRef2", "Reference 2", "", {}},
          {"NormNew1", "New value 1", "", {}},
          {"NormNew2", "New value 2", "", {}}},
         {"Normalize", "Move", "Cut Inside", "Cut Outside"}},
        {"Between the references",
         {},
         {"Integrate Range", "Linear Regression", "Logarithmic Regression", "Exponential Regression"}}}},
      {"Calculations",
       {{"Thinning and smoothing", {{"Factor", "Factor", "2", {}}}, {"Data Reduction", "Smooth", "Fourier Smooth"}},
        {"Fourier transform", {{"FFTWindow", "Window", "0", {}}}, {"Fourier Transform"}},
        {"Derivative and integral", {{"DiffInterval", "Interval", "1", {}}}, {"Derivative", "Integrate"}},
        {"Linear background",
         {{"LinBgA", "A", "0", {}}, {"LinBgB", "B", "0", {}}},
         {"Linear Background", "Swap X and Y"}},
        {"Function generator",
         {{"FGAxis", "Mode", "0", {"y = f(x)", "x = f(y)"}},
          {"FGMin", "From", "0", {}},
          {"FGMax", "To", "10", {}},
          {"FGSteps", "Steps", "100", {}},
          {"FGExpr", "Expression", "sin(x)", {}}},
         {"Function Generator"}},
        {"Buffer calculation",
         {{"CAAxis", "Column", "1", {}}, {"CAExpr", "Expression", "y", {}}},
         {"Buffer Calculation"}},
        {"Two buffers",
         {{"CABuf1", "First buffer", "0", {}},
          {"CABuf2", "Second buffer", "1", {}},
          {"CAOp", "Operation", "0", {"+", "-", "*", "/"}}},
         {"Two-Buffer Calculation"}}}},
      {"Advanced",
       {{"XPS backgrounds",
         {{"ShirleyX1", "From X", "", {}, &Manager::shirx1},
          {"ShirleyY1", "From Y", "", {}, &Manager::shiry1},
          {"ShirleyX2", "To X", "", {}, &Manager::shirx2},
          {"ShirleyY2", "To Y", "", {}, &Manager::shiry2}},
         {"Shirley Background", "Shirley Levels from Data", "Satellite Subtraction"}}}},
      {"Spline Fit",
       {{"Interpolating spline",
         {{"SplinePoints", "Points per interval", "10", {}}, {"SplineStrength", "Strength", "1", {}}},
         {"Spline"}},
        {"Smoothing-spline fit",
         {{"SPFCoorMode", "Correlation mode (0-2)", "1", {}},
          {"SPFCoorFactor", "Correlation factor", "1", {}},
          {"SPFCoorFunction", "Correlation function", "1", {}},
          {"SPFSigmaMode", "Sigma mode (0-3)", "0", {}},
          {"SPFSigmaValue", "Sigma", "", {}},
          {"SPFSplineOrder", "Order", "4", {}},
          {"SPFPoints", "Points", "2001", {}},
          {"SPFExportMinMax", "Export minima and maxima", "1", {"No", "Yes"}},
          {"SPFExportDerivative", "Export the derivative", "0", {"No", "Yes"}},
          {"SPFUseExclude", "Leave out a range", "0", {"No", "Yes"}},
          {"SPFExcludeMin", "From", "", {}},
          {"SPFExcludeMax", "To", "", {}},
          {"SPFFromInput", "Start from the input", "0", {"No", "Yes"}}},
         {"Spline Fit"}}}},
      {"Fit",
       {{"Fit actions",
         {},
         {"Fit: Start", "Fit: Back", "Fit: Preview", "Fit: Export Sum", "Fit: Export All", "Fit: Load Table"}}}},
  };
  return t;
}

}  // namespace

std::span<const ActionGroup> actionGroups(std::string_view page) {
  const auto& t = table();
  const auto it = t.find(page);
  if (it == t.end()) return {};
  return it->second;
}

}  // namespace xyla::inspector
