#include "io/mysql_native.h"

#include <dlfcn.h>

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

namespace xyla {

namespace {

// The entry points of the client library the driver uses, found once.
struct ClientLibrary {
  unsigned (*errnoOf)(void*) = nullptr;
  const char* (*errorOf)(void*) = nullptr;
  int (*socketOf)(void*) = nullptr;

  ClientLibrary() {
    for (const char* name : {"libmariadb.so.3", "libmysqlclient.so.21"}) {
      void* lib = ::dlopen(name, RTLD_LAZY | RTLD_NOLOAD);
      if (!lib) continue;
      errnoOf = reinterpret_cast<unsigned (*)(void*)>(::dlsym(lib, "mysql_errno"));
      errorOf = reinterpret_cast<const char* (*)(void*)>(::dlsym(lib, "mysql_error"));
      socketOf = reinterpret_cast<int (*)(void*)>(::dlsym(lib, "mysql_get_socket"));
      return;
    }
  }
};

const ClientLibrary& client() {
  static const ClientLibrary library;
  return library;
}

// The connection handle of the driver (a MYSQL pointer), or null.
void* handleOf(const QSqlDatabase& db) {
  if (!db.isOpen() || !db.driver()) return nullptr;
  const QVariant h = db.driver()->handle();
  if (!h.isValid() || (qstrcmp(h.typeName(), "MYSQL*") != 0 && qstrcmp(h.typeName(), "st_mysql*") != 0)) return nullptr;
  return *static_cast<void* const*>(h.constData());
}

}  // namespace

int MySQLNative::errorNumber(const QSqlDatabase& db) {
  void* h = handleOf(db);
  return h && client().errnoOf ? static_cast<int>(client().errnoOf(h)) : 0;
}

std::string MySQLNative::errorText(const QSqlDatabase& db) {
  void* h = handleOf(db);
  const char* text = h && client().errorOf ? client().errorOf(h) : nullptr;
  return text ? text : "";
}

int MySQLNative::socketOf(const QSqlDatabase& db) {
  void* h = handleOf(db);
  return h && client().socketOf ? client().socketOf(h) : -1;
}

}  // namespace xyla
