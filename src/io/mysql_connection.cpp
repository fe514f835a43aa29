// The MySQL connection through Qt's SQL driver. The program holds none of this: it loads
// it with Qt's SQL library (lib/xyla/xyla-sql.so) when a run imports from a server.
#include "io/mysql_connection.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <atomic>

#include "io/mysql_native.h"

namespace xyla {

namespace {

// Seconds from 1970-01-01 to 2001-01-01 UTC, the origin of the program's time values.
constexpr double kSecondsTo2001 = 978307200.0;

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

}  // namespace

void runMySQLQuery(const MySQLSource& s, int timeLimit, QueryWatch& watch, QueryResult& r) {
  static std::atomic<int> serial = 0;
  const QString name = QString("xyla-mysql-%1").arg(++serial);
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QMYSQL", name);
    runOn(db, s, timeLimit, watch, r);
    watch.clearSocket();
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
}

}  // namespace xyla
