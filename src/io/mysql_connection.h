#pragma once

#include <sys/socket.h>

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "io/mysql_import.h"

namespace xyla {

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

// Connects (giving a silent server `timeLimit` seconds for each step), selects the
// database, runs the query and reads every row into `r`, on the calling thread; `watch`
// learns the connection's socket. The connection is closed and forgotten before it
// returns. Dates and times read as seconds since 2001-01-01 UTC, NULL and text that is
// no number as 0.
void runMySQLQuery(const MySQLSource& s, int timeLimit, QueryWatch& watch, QueryResult& r);

// What the program calls of the MySQL module (lib/xyla/xyla-sql.so), which holds Qt's
// SQL library and is loaded the first time a run imports from a server.
struct SqlFunctions {
  void (*runMySQLQuery)(const MySQLSource&, int, QueryWatch&, QueryResult&);
};

}  // namespace xyla

// The entry point the module exports.
extern "C" const xyla::SqlFunctions* xylaSqlFunctions();
