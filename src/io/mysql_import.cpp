#include "io/mysql_import.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "io/import_report.h"
#include "model/document_services.h"
#include "model/manager.h"
#include "model/palette.h"
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
};

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

void runOn(QSqlDatabase& db, const MySQLSource& s, QueryResult& r) {
  if (!QSqlDatabase::isDriverAvailable("QMYSQL")) {
    r.errorTitle = "MySQL Connect Error";
    r.errorMessage = "The MySQL driver of Qt is not installed.";
    return;
  }
  db.setHostName(QString::fromStdString(s.host));
  db.setPort(s.port);
  db.setUserName(QString::fromStdString(s.user));
  db.setPassword(QString::fromStdString(s.passwd));
  // A server that does not answer is given up after a while instead of freezing the
  // program for good.
  db.setConnectOptions("MYSQL_OPT_CONNECT_TIMEOUT=10;MYSQL_OPT_READ_TIMEOUT=600;MYSQL_OPT_WRITE_TIMEOUT=60");
  if (!db.open()) {
    r.errorTitle = "MySQL Connect Error";
    r.errorMessage = serverMessage(db.lastError());
    return;
  }
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
}

// Connects, selects the database, runs the query and reads every row; the connection
// is closed and forgotten before it returns.
QueryResult runQuery(const MySQLSource& s) {
  static int serial = 0;
  const QString name = QString("xyla-mysql-%1").arg(++serial);
  QueryResult r;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QMYSQL", name);
    runOn(db, s, r);
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
  return r;
}

bool alertOnError(const QueryResult& r, Ui& ui) {
  if (r.errorTitle.empty()) return false;
  ui.alert(r.errorTitle, r.errorMessage, {"Ok"});
  return true;
}

}  // namespace

int importMySQL(XylaDocument& doc, const MySQLSource& s, bool autoupdate, bool autorescale, Ui& ui) {
  QueryResult r = runQuery(s);
  if (alertOnError(r, ui)) return 0;
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
  const MySQLSource s{b.my_host, b.my_db, b.my_user, b.my_passwd, b.my_port, b.my_sql};
  QueryResult r = runQuery(s);
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

class MySQLRefresh : public SourceReader {
 public:
  void refreshFromSource(DataBuffer& b, Ui& ui) const override { my_update(b, ui); }
};

}  // namespace

void installMySQLRefresh(Manager& m) {
  static const MySQLRefresh refresh;
  m.sourceReader = &refresh;
}

int portValue(const std::string& text) {
  const long v = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace xyla
