// The program's side of the MySQL module (see io/mysql_connection.h): the query runner
// the import calls, which loads the module (and with it Qt's SQL library) on first use.
// Linked into the program only; tests and tools link the connection code itself.
#include <string>

#include "io/mysql_connection.h"
#include "outside/resources.h"

namespace xyla {

namespace {

constexpr const char* kModuleFile = "xyla-sql.so";

struct Loaded {
  const SqlFunctions* table = nullptr;
  std::string error;
};

const Loaded& loaded() {
  static const Loaded once = [] {
    Loaded l;
    const outside::ModuleEntry m = outside::openModule(kModuleFile, "xylaSqlFunctions");
    l.table = static_cast<const SqlFunctions*>(m.table);
    if (m.missing)
      l.error = std::string("The MySQL module ") + kModuleFile + " is missing beside the program.";
    else if (!l.table)
      l.error = "The MySQL module cannot be loaded: " + m.why;
    return l;
  }();
  return once;
}

}  // namespace

void runMySQLQuery(const MySQLSource& s, int timeLimit, QueryWatch& watch, QueryResult& r) {
  const Loaded& l = loaded();
  if (!l.table) {
    r.errorTitle = "MySQL Connect Error";
    r.errorMessage = l.error;
    return;
  }
  l.table->runMySQLQuery(s, timeLimit, watch, r);
}

}  // namespace xyla
