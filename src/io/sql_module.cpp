// The MySQL module of the program (see io/mysql_connection.h): the table of what the
// program calls.
#include "io/mysql_connection.h"

extern "C" __attribute__((visibility("default"))) const xyla::SqlFunctions* xylaSqlFunctions() {
  static const xyla::SqlFunctions table{&xyla::runMySQLQuery};
  return &table;
}
