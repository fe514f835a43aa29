#pragma once

#include <string>

class QSqlDatabase;

namespace xyla {

// What Qt's MySQL driver does not pass on, asked of the client library it loaded: the
// error a connection holds (Qt's driver drops an error that ends the rows early) and the
// connection's socket (shutting it down is the only way to end a read that waits for a
// server). Without that library every answer is "nothing".
class MySQLNative {
 public:
  // The client library's error number and text for `db`'s connection; 0 and "" when
  // there is none or the library cannot be asked.
  static int errorNumber(const QSqlDatabase& db);
  static std::string errorText(const QSqlDatabase& db);
  // The socket of `db`'s open connection, or -1.
  static int socketOf(const QSqlDatabase& db);
};

}  // namespace xyla
