#include "macro/macro_store.h"

#include "model/file_bytes.h"
#include "model/keyed_archive.h"
#include "model/replacing_file.h"
#include "model/settings.h"
#include "model/ui.h"

namespace xyla {

std::string encodeMacroList(const std::vector<std::unique_ptr<Macro>>& list) {
  archive::ArchiveWriter w;
  std::vector<archive::Uid> records;
  for (const auto& m : list) {
    archive::ArchiveWriter::Record r = w.record("Macro");
    r.setString("name", m->name);
    r.setString("src", m->src);
    r.setInt("shortcut", m->shortcut);
    r.setInt("type", m->type);
    records.push_back(r.uid());
  }
  return w.finish(w.list(records));
}

std::optional<std::vector<std::unique_ptr<Macro>>> decodeMacroList(const std::string& bytes) {
  const auto reader = archive::ArchiveReader::open(bytes);
  if (!reader) return std::nullopt;
  const auto records = reader->root().asList();
  if (!records) return std::nullopt;
  std::vector<std::unique_ptr<Macro>> out;
  for (const archive::ArchiveItem& r : *records) {
    if (!r.isRecord()) continue;
    out.push_back(std::make_unique<Macro>(r.get("name").asString().value_or(""), r.get("src").asString().value_or(""),
                                          r.get("shortcut").asInt().value_or(0), r.get("type").asInt().value_or(0)));
  }
  return out;
}

MacroStore::MacroStore(Ui& ui) : ui_(ui) {}

void MacroStore::load() {
  Settings* s = Settings::standard();
  MA.clear();
  if (s) {
    if (auto text = s->getString("Macros"))
      if (auto list = decodeMacroList(*text)) MA = std::move(*list);
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

void MacroStore::menuChanged() const { ui_.macroMenuChanged(); }

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

namespace xyla {

void MacroStore::ma_export() {
  if (MA.empty()) {
    ui_.beep();
    return;
  }
  const std::optional<std::string> chosen = ui_.savePanel("Macro Export", "", "Macros.maxyla");
  if (!chosen || chosen->empty()) return;
  std::string path = *chosen;
  if (!path.ends_with(".maxyla")) path += ".maxyla";
  const std::string bytes = encodeMacroList(MA);
  // Written under a temporary name and renamed, so an old file survives a failed export.
  std::string error;
  if (!writeFileReplacing(path, bytes, error))
    ui_.alert("Macro Export", error + ". The old file is unchanged.", {"OK"});
}

bool MacroStore::ma_import(int mode) {
  if (Settings* s = Settings::standard()) s->setInt("SrcImportMode", mode);
  const std::vector<std::string> files = ui_.openPanel("Macro Import", "", false);
  bool imported = false;
  if (!files.empty()) {
    constexpr std::size_t kLargestList = 256 << 20;
    std::string error;  // a file that cannot be read imports nothing, as one that is no list
    if (const auto bytes = readFileBytes(files.front(), kLargestList, error)) {
      if (auto list = decodeMacroList(*bytes); list && !list->empty()) {
        if (mode == 0) MA.clear();
        for (auto& m : *list) MA.push_back(std::move(m));
        selected = mode == 0 ? 0 : static_cast<int>(MA.size() - list->size());
        save();
        imported = true;
      }
    }
  }
  menuChanged();
  return imported;
}

}  // namespace xyla
