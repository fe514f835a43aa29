#include "io/mysql_import.h"

#include <sys/socket.h>

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "io/import_report.h"
#include "io/mysql_native.h"
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

// Seconds from 1970-01-01 to 2001-01-01 UTC, the origin of the program's time values.
constexpr double kSecondsTo2001 = 978307200.0;

// What a query gave: its column names and values column by column, or the alert that
// ended it.
struct QueryResult {
  std::string errorTitle;  // empty when the query succeeded
  std::string errorMessage;
  std::vector<std::string> names;
  std::vector<std::vector<double>> columns;
  std::size_t rows = 0;
  bool timeInFirstColumn = false;
  bool cancelled = false;  // the person pressed Cancel: nothing is said, nothing changes
};

// What the asking thread and the thread running a query share: the connection's socket,
// which Cancel shuts down so that a read waiting for the server ends at once.
class QueryWatch {
 public:
  void setSocket(int fd) {
    std::lock_guard<std::mutex> guard(lock_);
    socket_ = fd;
    if (cancelled_ && fd >= 0) ::shutdown(fd, SHUT_RDWR);
  }
  // Called before the connection closes, so a late Cancel never reaches a reused socket.
  void clearSocket() { setSocket(-1); }
  void cancel() {
    std::lock_guard<std::mutex> guard(lock_);
    cancelled_ = true;
    if (socket_ >= 0) ::shutdown(socket_, SHUT_RDWR);
  }
  bool cancelled() {
    std::lock_guard<std::mutex> guard(lock_);
    return cancelled_;
  }

 private:
  std::mutex lock_;
  int socket_ = -1;
  bool cancelled_ = false;
};

// Seconds a server may take to answer (connecting, and each read and write) before the
// query is given up: the setting "MySQLTimeLimit", 15 when it is not set.
int timeLimitSeconds() {
  constexpr int kDefault = 15, kLongest = 3600;
  const Settings* s = Settings::standard();
  const int v = s ? s->getInt("MySQLTimeLimit").value_or(kDefault) : kDefault;
  return std::clamp(v, 1, kLongest);
}

std::string serverMessage(const QSqlError& e) {
  const QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
  return text.toStdString();
}

// A field as a number: NULL reads 0, dates and times seconds since 2001-01-01 UTC (a
// time of day alone its seconds since midnight), anything else its numeric reading.
double fieldValue(const QVariant& v, bool& isTime) {
  if (v.isNull()) return 0.0;
  switch (v.metaType().id()) {
    case QMetaType::QDateTime:
      isTime = true;
      return static_cast<double>(v.toDateTime().toMSecsSinceEpoch()) / 1000.0 - kSecondsTo2001;
    case QMetaType::QDate:
      isTime = true;
      return static_cast<double>(v.toDate().startOfDay().toMSecsSinceEpoch()) / 1000.0 - kSecondsTo2001;
    case QMetaType::QTime:
      isTime = true;
      return v.toTime().msecsSinceStartOfDay() / 1000.0;
    default: {
      bool ok = false;
      const double d = v.toDouble(&ok);
      return ok ? d : 0.0;
    }
  }
}

// The error a connection holds that Qt did not report (a connection lost while the rows
// arrive ends them early without one).
void takeLostConnection(const QSqlDatabase& db, QueryResult& r) {
  if (!r.errorTitle.empty() || MySQLNative::errorNumber(db) == 0) return;
  r.errorTitle = "MySQL Query Error";
  r.errorMessage = MySQLNative::errorText(db);
}

void readRows(QSqlQuery& q, QueryResult& r) {
  const QSqlRecord record = q.record();
  const int n = record.count();
  for (int c = 0; c < n; ++c) r.names.push_back(record.fieldName(c).toStdString());
  r.columns.assign(static_cast<std::size_t>(n), {});
  if (q.size() > 0)
    for (auto& col : r.columns) col.reserve(static_cast<std::size_t>(q.size()));
  while (q.next()) {
    for (int c = 0; c < n; ++c) {
      bool isTime = false;
      r.columns[static_cast<std::size_t>(c)].push_back(fieldValue(q.value(c), isTime));
      if (c == 0 && isTime) r.timeInFirstColumn = true;
    }
    ++r.rows;
  }
  // A connection lost while the rows arrive ends the loop early with an error.
  if (q.lastError().isValid()) {
    r.errorTitle = "MySQL Query Error";
    r.errorMessage = serverMessage(q.lastError());
  }
}

void runOn(QSqlDatabase& db, const MySQLSource& s, int timeLimit, QueryWatch& watch, QueryResult& r) {
  if (!QSqlDatabase::isDriverAvailable("QMYSQL")) {
    r.errorTitle = "MySQL Connect Error";
    r.errorMessage = "The MySQL driver of Qt is not installed.";
    return;
  }
  db.setHostName(QString::fromStdString(s.host));
  db.setPort(s.port);
  db.setUserName(QString::fromStdString(s.user));
  db.setPassword(QString::fromStdString(s.passwd));
  // A server that does not answer is given up after the time limit instead of freezing
  // the program.
  const QString limit = QString::number(timeLimit);
  db.setConnectOptions("MYSQL_OPT_CONNECT_TIMEOUT=" + limit + ";MYSQL_OPT_READ_TIMEOUT=" + limit +
                       ";MYSQL_OPT_WRITE_TIMEOUT=" + limit);
  if (!db.open()) {
    r.errorTitle = "MySQL Connect Error";
    r.errorMessage = serverMessage(db.lastError());
    return;
  }
  watch.setSocket(MySQLNative::socketOf(db));
  if (!s.db.empty()) {
    QString name = QString::fromStdString(s.db);
    name.replace("`", "``");
    QSqlQuery use(db);
    if (!use.exec("USE `" + name + "`")) {
      r.errorTitle = "MySQL Database Error";
      r.errorMessage = serverMessage(use.lastError());
      return;
    }
  }
  QSqlQuery q(db);
  q.setForwardOnly(true);
  q.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
  if (!q.exec(QString::fromStdString(s.sql))) {
    r.errorTitle = "MySQL Query Error";
    r.errorMessage = serverMessage(q.lastError());
    return;
  }
  readRows(q, r);
  takeLostConnection(db, r);
}

// Connects, selects the database, runs the query and reads every row on a thread of its
// own, while this one keeps the progress window answering; Cancel there ends the wait at
// once. The connection is closed and forgotten before it returns.
QueryResult runQuery(const MySQLSource& s, Ui& ui) {
  static std::atomic<int> serial = 0;
  const QString name = QString("xyla-mysql-%1").arg(++serial);
  const int timeLimit = timeLimitSeconds();
  QueryWatch watch;
  QueryResult r;
  std::atomic<bool> finished = false;
  std::thread worker([&] {
    {
      QSqlDatabase db = QSqlDatabase::addDatabase("QMYSQL", name);
      runOn(db, s, timeLimit, watch, r);
      watch.clearSocket();
      db.close();
    }
    QSqlDatabase::removeDatabase(name);
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
  const auto sameHost = [&](const std::string& h) {
    return QString::fromStdString(h).compare(QString::fromStdString(host), Qt::CaseInsensitive) == 0;
  };
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
