#include "analysis/xps_lines.h"

#include <cctype>
#include <cstring>

namespace xyla::xps {

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The table's spelling of an element symbol, or null.
const char* tableSymbol(const std::string& symbol) {
  const std::string l = lower(symbol);
  for (const CoreLevel& c : coreLevels())
    if (lower(c.element) == l) return c.element;
  return nullptr;
}

// Occupancy weight 2j + 1 of a level written "4f7/2" (1 without a j).
double occupancy(const char* level) {
  const char* slash = std::strchr(level, '/');
  if (!slash || slash == level) return 1.0;
  const char* p = slash;
  while (p > level && std::isdigit(static_cast<unsigned char>(p[-1]))) --p;
  return std::atof(p) + 1.0;
}

}  // namespace

std::string lineKey(const std::string& name) {
  std::string compact;
  for (char c : name)
    if (!std::isspace(static_cast<unsigned char>(c))) compact += c;
  std::size_t split = 0;
  while (split < compact.size() && std::isalpha(static_cast<unsigned char>(compact[split]))) ++split;
  const char* symbol = split > 0 ? tableSymbol(compact.substr(0, split)) : nullptr;
  if (!symbol) return "";
  return symbol + lower(compact.substr(split));
}

int elementNumber(const std::string& symbol) {
  const std::string l = lower(symbol);
  for (const CoreLevel& c : coreLevels())
    if (lower(c.element) == l) return c.Z;
  for (const AugerLine& a : augerLines())
    if (lower(a.element) == l) return a.Z;
  return 0;
}

double tableSensitivity(const std::string& line, bool magnesium) {
  const std::string key = lineKey(line);
  if (key.empty()) return 0.0;
  for (const SensitivityFactor& f : sensitivityFactors())
    if (lineKey(f.line) == key) return magnesium ? f.mg : f.al;
  return 0.0;
}

namespace {

// Whether table entry `k` (element and level) is a spin-orbit component of `key` ("W4f").
bool componentOf(const std::string& k, const std::string& key) {
  return k.size() > key.size() && k.compare(0, key.size(), key) == 0 && k[key.size()] != '/' &&
         std::isdigit(static_cast<unsigned char>(k[key.size()]));
}

}  // namespace

bool doubletOf(const std::string& line, double& splitting, double& ratio) {
  const std::string key = lineKey(line);
  if (key.empty()) return false;
  const CoreLevel* parts[2] = {nullptr, nullptr};
  int found = 0;
  for (const CoreLevel& c : coreLevels())
    if (componentOf(std::string(c.element) + c.level, key) && found < 2)
      parts[found++] = &c;
    else if (componentOf(std::string(c.element) + c.level, key))
      ++found;
  if (found != 2) return false;
  // The component of the larger j (more electrons) lies at the lower binding energy.
  const bool firstMain = occupancy(parts[0]->level) > occupancy(parts[1]->level);
  const CoreLevel& main = firstMain ? *parts[0] : *parts[1];
  const CoreLevel& partner = firstMain ? *parts[1] : *parts[0];
  splitting = partner.be - main.be;
  ratio = occupancy(partner.level) / occupancy(main.level);
  return ratio < 1.0;
}

bool lineEnergy(const std::string& line, double& be) {
  const std::string key = lineKey(line);
  if (key.empty()) return false;
  double sum = 0.0, weight = 0.0;
  for (const CoreLevel& c : coreLevels()) {
    const std::string k = std::string(c.element) + c.level;
    if (k == key) {
      be = c.be;
      return true;
    }
    // "W4f" names both "W4f7/2" and "W4f5/2".
    if (componentOf(k, key)) {
      const double w = occupancy(c.level);
      sum += w * c.be;
      weight += w;
    }
  }
  if (weight == 0.0) return false;
  be = sum / weight;
  return true;
}

}  // namespace xyla::xps
