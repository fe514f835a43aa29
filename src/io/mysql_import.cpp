#include "io/mysql_import.h"

#include <strings.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "io/import_report.h"
#include "io/mysql_connection.h"
#include "io/mysql_queries.h"
#include "model/document_services.h"
#include "model/manager.h"
#include "model/palette.h"
#include "model/password_store.h"
#include "model/settings.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

// Seconds a server may take to answer (connecting, and each read and write) before the
// query is given up: the setting "MySQLTimeLimit", 15 when it is not set.
int timeLimitSeconds() {
  constexpr int kDefault = 15, kLongest = 3600;
  const Settings* s = Settings::standard();
  const int v = s ? s->getInt("MySQLTimeLimit").value_or(kDefault) : kDefault;
  return std::clamp(v, 1, kLongest);
}

// Connects, selects the database, runs the query and reads every row on a thread of its
// own, while this one keeps the progress window answering; Cancel there ends the wait at
// once. The connection is closed and forgotten before it returns.
QueryResult runQuery(const MySQLSource& s, Ui& ui) {
  const int timeLimit = timeLimitSeconds();
  QueryWatch watch;
  QueryResult r;
  std::atomic<bool> finished = false;
  std::thread worker([&] {
    runMySQLQuery(s, timeLimit, watch, r);
    finished = true;
  });
  ui.beginProgress("MySQL", "Waiting for the server " + s.host);
  while (!finished) {
    if (!ui.progress(-1)) {
      watch.cancel();
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  worker.join();
  ui.endProgress();
  r.cancelled = watch.cancelled();
  return r;
}

// The password of a buffer whose document left it out: the one the keyring keeps for
// its account, else one the person types (kept in the keyring for next time); "" when
// neither is there.
std::string passwordFor(const DataBuffer& b, Ui& ui) {
  const std::string account = passwordAccount(b.my_user, b.my_host, b.my_port);
  PasswordStore* store = PasswordStore::standard();
  if (store)
    if (auto kept = store->read(account)) return *kept;
  const auto typed = ui.passwordPanel("MySQL Password", "The password of " + account + ":");
  if (!typed) return "";
  if (store) store->write(account, *typed);
  return *typed;
}

// Says what ended a query; true when it did not succeed (also when it was cancelled).
bool alertOnError(const QueryResult& r, Ui& ui) {
  if (r.cancelled) return true;
  if (r.errorTitle.empty()) return false;
  ui.alert(r.errorTitle, r.errorMessage, {"Ok"});
  return true;
}

}  // namespace

int importMySQL(XylaDocument& doc, const MySQLSource& s, bool autoupdate, bool autorescale, Ui& ui) {
  QueryResult r = runQuery(s, ui);
  if (alertOnError(r, ui)) return 0;
  // The keyring keeps the password that worked, for refreshes of documents without it.
  if (PasswordStore* store = PasswordStore::standard(); store && !s.passwd.empty())
    store->write(passwordAccount(s.user, s.host, s.port), s.passwd);
  const std::size_t n = r.columns.size();
  const std::size_t made = n == 1 ? 1 : (n >= 2 ? n - 1 : 0);
  for (std::size_t k = 0; k < made; ++k) {
    auto b = std::make_unique<DataBuffer>();
    b->source = "MySQL";
    b->hassource = true;
    b->my_sql = s.sql;
    b->my_host = s.host;
    b->my_db = s.db;
    b->my_user = s.user;
    b->my_passwd = s.passwd;
    b->my_savepasswd = s.savePassword;
    b->my_port = s.port;
    b->my_xcol = 0;
    b->my_ycol = n == 1 ? 0 : static_cast<int>(k + 1);
    b->my_autoupdate = autoupdate;
    b->comment = r.names[k];
    b->color = paletteColour(static_cast<int>(k));
    if (n == 1) {
      b->X.resize(r.rows);
      for (std::size_t i = 0; i < r.rows; ++i) b->X[i] = static_cast<double>(i);
    } else {
      b->X = r.columns[0];
    }
    b->Y = std::move(r.columns[n == 1 ? 0 : k + 1]);
    b->rescale();
    doc.appendBuffer(std::move(b));
  }
  doc.rescaleafterupdate = autorescale;
  if (n >= 2 && r.timeInFirstColumn) doc.axismode[0] = 2;
  if (made == 0 || r.rows == 0) reportNothingImported(&ui, "the query on " + s.host);
  return static_cast<int>(made);
}

bool my_update(DataBuffer& b, Ui& ui) {
  if (b.my_sql.empty() || !b.my_autoupdate || !b.hassource) return false;
  if (b.my_passwd.empty() && !b.my_user.empty()) b.my_passwd = passwordFor(b, ui);
  const MySQLSource s{b.my_host, b.my_db, b.my_user, b.my_passwd, b.my_port, b.my_sql};
  QueryResult r = runQuery(s, ui);
  if (alertOnError(r, ui)) return false;
  const auto n = static_cast<int>(r.columns.size());
  if (b.my_ycol < 0 || b.my_xcol < 0 || b.my_ycol >= n || b.my_xcol >= n) {
    ui.alert("MySQL Update Error", "", {"Ok"});
    return false;
  }
  b.EX.clear();
  b.EY.clear();
  if (n == 1) {
    b.X.resize(r.rows);
    for (std::size_t i = 0; i < r.rows; ++i) b.X[i] = static_cast<double>(i);
  } else {
    b.X = r.columns[static_cast<std::size_t>(b.my_xcol)];
  }
  b.Y = std::move(r.columns[static_cast<std::size_t>(b.my_ycol)]);
  b.rescale();
  return true;
}

namespace {

// The refresh without approval: tests and tools that never read documents from others.
class MySQLRefresh : public SourceReader {
 public:
  void refreshFromSource(DataBuffer& b, Ui& ui) const override { my_update(b, ui); }
};

}  // namespace

void installMySQLRefresh(Manager& m, ConnectionApproval* approval) {
  static const MySQLRefresh plain;
  m.sourceReader = approval ? static_cast<const SourceReader*>(approval) : &plain;
}

void ConnectionApproval::refreshFromSource(DataBuffer& b, Ui& ui) const {
  if (b.my_sql.empty() || !b.my_autoupdate || !b.hassource) return;
  if (approve(b.my_host, b.my_port, ui)) my_update(b, ui);
}

std::string passwordAccount(const std::string& user, const std::string& host, int port) {
  return user + "@" + host + ":" + std::to_string(port);
}

bool ConnectionApproval::approve(const std::string& host, int port, Ui& ui) const {
  if (allowAll_) return true;
  // Host names compare without regard to case (of their ASCII letters).
  const auto sameHost = [&](const std::string& h) { return ::strcasecmp(h.c_str(), host.c_str()) == 0; };
  if (queries_)
    for (const MySQLQuery& q : queries_->MYQ)
      if (sameHost(q.host) && q.port == port) return true;
  const std::string key = host + ":" + std::to_string(port);
  if (const auto it = answered_.find(key); it != answered_.end()) return it->second;
  const bool yes =
      ui.alert("MySQL Connection",
               "This document refreshes its data from the MySQL server " + host + ", port " + std::to_string(port) +
                   ", which none of your stored queries names. Connect to it? (Batch runs connect "
                   "only with --allow-network.)",
               {"Don't Connect", "Connect"}) == 1;
  answered_[key] = yes;
  return yes;
}

int portValue(const std::string& text) {
  const long v = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace xyla
