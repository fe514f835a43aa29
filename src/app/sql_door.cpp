// The program's side of the MySQL module (see io/mysql_connection.h): the query runner
// the import calls, which loads the module (and with it Qt's SQL library) on first use.
// Linked into the program only; tests and tools link the connection code itself.
#include <dlfcn.h>

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
    const std::string path = outside::findResource(kModuleFile);
    if (path.empty()) {
      l.error = std::string("The MySQL module ") + kModuleFile + " is missing beside the program.";
      return l;
    }
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto* entry = handle ? reinterpret_cast<const SqlFunctions* (*)()>(::dlsym(handle, "xylaSqlFunctions")) : nullptr;
    if (!entry) {
      const char* why = ::dlerror();
      l.error = "The MySQL module cannot be loaded: " + std::string(why ? why : path);
      return l;
    }
    l.table = entry();
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
