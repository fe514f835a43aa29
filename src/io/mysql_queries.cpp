#include "io/mysql_queries.h"

#include "io/mysql_import.h"
#include "model/file_bytes.h"
#include "model/keyed_archive.h"
#include "model/manager.h"
#include "model/replacing_file.h"
#include "model/settings.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

constexpr const char* kListKey = "MySQLQueries";
constexpr const char* kLocalHost = "localhost";

MySQLQuery newQuery(const std::string& db) {
  MySQLQuery q;
  q.name = "New Query";
  q.host = kLocalHost;
  q.db = db;
  return q;
}

}  // namespace

std::string encodeQueryList(const std::vector<MySQLQuery>& list) {
  archive::ArchiveWriter w;
  std::vector<archive::Uid> records;
  for (const MySQLQuery& q : list) {
    archive::ArchiveWriter::Record r = w.record("MySQLQuery");
    r.setString("name", q.name);
    r.setString("host", q.host);
    r.setString("db", q.db);
    r.setInt("port", q.port);
    r.setString("user", q.user);
    r.setString("passwd", q.passwd);
    r.setString("sql", q.sql);
    r.setBool("autoupdate", q.autoupdate);
    r.setBool("autorescale", q.autorescale);
    r.setBool("savepasswd", q.savePassword);
    records.push_back(r.uid());
  }
  return w.finish(w.list(records));
}

std::optional<std::vector<MySQLQuery>> decodeQueryList(const std::string& bytes) {
  const auto reader = archive::ArchiveReader::open(bytes);
  if (!reader) return std::nullopt;
  const auto records = reader->root().asList();
  if (!records) return std::nullopt;
  std::vector<MySQLQuery> out;
  for (const archive::ArchiveItem& r : *records) {
    if (!r.isRecord()) continue;
    MySQLQuery q;
    q.name = r.get("name").asString().value_or("");
    q.host = r.get("host").asString().value_or("");
    q.db = r.get("db").asString().value_or("");
    q.port = r.get("port").asInt().value_or(3306);
    q.user = r.get("user").asString().value_or("");
    q.passwd = r.get("passwd").asString().value_or("");
    q.sql = r.get("sql").asString().value_or("");
    q.autoupdate = r.get("autoupdate").asBool().value_or(false);
    q.autorescale = r.get("autorescale").asBool().value_or(false);
    q.savePassword = r.get("savepasswd").asBool().value_or(false);
    out.push_back(std::move(q));
  }
  return out;
}

QueryStore::QueryStore(Ui& ui) : ui_(ui) {}

void QueryStore::load() {
  Settings* s = Settings::standard();
  MYQ.clear();
  const std::optional<std::string> stored = s ? s->getString(kListKey) : std::nullopt;
  if (stored) {
    if (auto list = decodeQueryList(*stored)) MYQ = std::move(*list);
  } else {
    MYQ.push_back(newQuery("test"));
    save();
  }
  selected = MYQ.empty() ? -1 : 0;
}

void QueryStore::save() const {
  Settings* s = Settings::standard();
  if (!s) return;
  s->setString(kListKey, encodeQueryList(MYQ));
  s->sync();
}

void QueryStore::panelChanged() const { ui_.queryPanelChanged(); }

const MySQLQuery* QueryStore::selectedQuery() const {
  return selected >= 0 && selected < static_cast<int>(MYQ.size()) ? &MYQ[static_cast<std::size_t>(selected)]
                                                                   : nullptr;
}

void QueryStore::my_add() {
  MYQ.push_back(newQuery(kLocalHost));
  selected = static_cast<int>(MYQ.size()) - 1;
  save();
  panelChanged();
}

void QueryStore::my_delete() {
  if (!selectedQuery()) return;
  MYQ.erase(MYQ.begin() + selected);
  // The neighbour that moved into the row, or the one above when the last was removed.
  if (selected >= static_cast<int>(MYQ.size())) selected = static_cast<int>(MYQ.size()) - 1;
  save();
  panelChanged();
}

void QueryStore::my_save(const MySQLQuery& fields) {
  if (!selectedQuery()) return;
  MYQ[static_cast<std::size_t>(selected)] = fields;
  save();
}

void QueryStore::my_execute(Manager& m, const MySQLQuery& f) {
  if (!m.PD) return;
  importMySQL(*m.PD, MySQLSource{f.host, f.db, f.user, f.passwd, f.port, f.sql, f.savePassword}, f.autoupdate,
              f.autorescale, m.ui());
  m.PD->rescale(true, m.axis12);
}

void QueryStore::my_export() {
  if (MYQ.empty()) {
    ui_.beep();
    return;
  }
  const std::optional<std::string> chosen = ui_.savePanel("MySQL Export", "", "Queries.myxyla");
  if (!chosen || chosen->empty()) return;
  std::string path = *chosen;
  if (!path.ends_with(".myxyla")) path += ".myxyla";
  const std::string bytes = encodeQueryList(MYQ);
  // Written under a temporary name and renamed, so an old file survives a failed export.
  std::string error;
  if (!writeFileReplacing(path, bytes, error))
    ui_.alert("MySQL Export", error + ". The old file is unchanged.", {"Ok"});
}

bool QueryStore::readFile(const std::string& path, int mode) {
  constexpr std::size_t kLargestList = 64 << 20;
  std::string error;
  const auto bytes = readFileBytes(path, kLargestList, error);  // never waits on a FIFO
  if (!bytes) return false;
  auto list = decodeQueryList(*bytes);
  if (!list) return false;
  const std::size_t before = mode == 0 ? 0 : MYQ.size();
  if (mode == 0) MYQ.clear();
  for (MySQLQuery& q : *list) MYQ.push_back(std::move(q));
  selected = MYQ.empty() ? -1 : static_cast<int>(std::min(before, MYQ.size() - 1));
  save();
  return true;
}

bool QueryStore::my_import(int mode) {
  if (Settings* s = Settings::standard()) {
    s->setInt("SrcImportMode", mode);
    s->sync();
  }
  const std::vector<std::string> files = ui_.openPanel("MySQL Import", "", false);
  const bool read = !files.empty() && readFile(files.front(), mode);
  if (!files.empty() && !read) ui_.alert("MySQL Import", files.front() + " holds no list of queries.", {"Ok"});
  panelChanged();
  return read;
}

bool QueryStore::openQueryFile(const std::string& path) {
  const bool read = readFile(path, 0);
  if (!read) {
    ui_.alert("MySQL Import", path + " holds no list of queries.", {"Ok"});
    return false;
  }
  ui_.showQueryPanel();
  panelChanged();
  return true;
}

void QueryStore::updateMySQLImport(int row) {
  if (row < 0 || row >= static_cast<int>(MYQ.size())) return;
  selected = row;
  panelChanged();
}

}  // namespace xyla
