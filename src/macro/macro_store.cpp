#include "macro/macro_store.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "model/settings.h"
#include "model/ui.h"

namespace xyla {

std::string encodeMacroList(const std::vector<std::unique_ptr<Macro>>& list) {
  QJsonArray records;
  for (const auto& m : list) {
    QJsonObject r;
    r["name"] = QString::fromStdString(m->name);
    r["src"] = QString::fromStdString(m->src);
    r["shortcut"] = m->shortcut;
    r["type"] = m->type;
    records.append(r);
  }
  return QJsonDocument(records).toJson(QJsonDocument::Compact).toStdString();
}

std::vector<std::unique_ptr<Macro>> decodeMacroList(const std::string& text) {
  std::vector<std::unique_ptr<Macro>> out;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text));
  for (const QJsonValue& v : doc.array()) {
    const QJsonObject r = v.toObject();
    out.push_back(std::make_unique<Macro>(r["name"].toString().toStdString(), r["src"].toString().toStdString(),
                                          r["shortcut"].toInt(), r["type"].toInt(0)));
  }
  return out;
}

MacroStore::MacroStore(Ui& ui) : ui_(ui) {}

void MacroStore::load() {
  Settings* s = Settings::standard();
  MA.clear();
  if (s) {
    if (auto text = s->getString("Macros")) MA = decodeMacroList(*text);
  }
  if (MA.empty()) {
    MA.push_back(std::make_unique<Macro>("New Macro", "", 0, 0));
    save();
  }
  const int row = s ? s->getInt("CurrentMacro").value_or(0) : 0;
  selected = row >= 0 && row < static_cast<int>(MA.size()) ? row : 0;
}

void MacroStore::save() const {
  Settings* s = Settings::standard();
  if (!s) return;
  s->setString("Macros", encodeMacroList(MA));
  s->sync();
}

void MacroStore::menuChanged() const {
  if (onMenuChanged) onMenuChanged();
}

Macro* MacroStore::selectedMacro() {
  return selected >= 0 && selected < static_cast<int>(MA.size()) ? MA[static_cast<std::size_t>(selected)].get()
                                                                  : nullptr;
}

void MacroStore::ma_add() {
  MA.push_back(std::make_unique<Macro>("New Macro", "", 0, 0));
  selected = static_cast<int>(MA.size()) - 1;
  save();
  menuChanged();
}

bool MacroStore::ma_delete() {
  if (!selectedMacro() || MA.size() < 2) {
    ui_.beep();
    menuChanged();
    return false;
  }
  const int answer =
      ui_.alert("Delete Macro", "clicking 'Delete' removes this macro immediately", {"Cancel", "Delete"});
  if (answer == 1) {
    MA.erase(MA.begin() + selected);
    selected = 0;
    save();
    updateMacro(0);
  }
  menuChanged();
  return answer == 1;
}

void MacroStore::ma_save(const std::string& text, int key, int kind) {
  Macro* m = selectedMacro();
  if (!m) return;
  MA[static_cast<std::size_t>(selected)] = std::make_unique<Macro>(m->name, text, key, kind);
  save();
}

void MacroStore::updateMacro(int row) {
  if (row < 0 || row >= static_cast<int>(MA.size())) return;
  selected = row;
  if (Settings* s = Settings::standard()) {
    s->setInt("CurrentMacro", row);
    s->sync();
  }
}

void MacroStore::swapSelected(int other) {
  if (!selectedMacro() || other < 0 || other >= static_cast<int>(MA.size())) return;
  std::swap(MA[static_cast<std::size_t>(selected)], MA[static_cast<std::size_t>(other)]);
  selected = other;
  updateMacro(other);
  save();
  menuChanged();
}

void MacroStore::ma_moveUp() { swapSelected(selected - 1); }

void MacroStore::ma_moveDown() { swapSelected(selected + 1); }

void MacroStore::rename(int row, const std::string& newName) {
  if (row < 0 || row >= static_cast<int>(MA.size())) return;
  MA[static_cast<std::size_t>(row)]->name = newName;
  save();
  menuChanged();
}

void MacroStore::insertText(const std::string& text, std::size_t position) {
  Macro* m = selectedMacro();
  if (!m) return;
  std::string src = m->src;
  src.insert(std::min(position, src.size()), text);
  ma_save(src, m->shortcut, m->type);
}

}  // namespace xyla
