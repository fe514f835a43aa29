#pragma once

#include <optional>
#include <string>
#include <vector>

namespace xyla {

class Manager;
class Ui;

// A stored query of the MySQL import panel.
struct MySQLQuery {
  std::string name;
  std::string host;
  std::string db;
  std::string user;
  std::string passwd;  // kept in clear, never shown in a message
  std::string sql;
  int port = 3306;
  bool autoupdate = false;
  bool autorescale = false;
  bool savePassword = false;  // buffers it imports keep the password in document files
  friend bool operator==(const MySQLQuery&, const MySQLQuery&) = default;
};

// The ordered list of stored queries (`MYQ`) with the operations of the MySQL import
// panel. Kept in the user defaults under "MySQLQueries" and saved after every change;
// exported to and imported from "myxyla" files in the same keyed-archive form.
class QueryStore {
 public:
  explicit QueryStore(Ui& ui);

  // Reads the list. On first launch (no list stored) it holds one "New Query" for the
  // local machine, database "test", port 3306, and is saved.
  void load();
  // Stores the list under "MySQLQueries" and flushes the store.
  void save() const;

  // Appends a "New Query" for the local machine (database field = host field, port
  // 3306), selects it and saves.
  void my_add();
  // Removes the selected query, selects a neighbour and saves; nothing without one.
  void my_delete();
  // Replaces the selected query by `fields` (the panel's values) and saves.
  void my_save(const MySQLQuery& fields);
  // Editing the SQL text saves at once.
  void my_sqlHasChanged(const MySQLQuery& fields) { my_save(fields); }
  // Imports `fields` into the current document, then auto-ranges it on the range
  // selector's ranges and redraws. Nothing without a current document.
  void my_execute(Manager& m, const MySQLQuery& fields);
  // Writes the list to a "myxyla" file chosen in a save panel; beeps when empty.
  void my_export();
  // Reads a "myxyla" file chosen in the "MySQL Import" panel: its list replaces the
  // current one (mode 0) or is appended (mode 1). The mode is kept under
  // "SrcImportMode". Answers whether a list was read.
  bool my_import(int mode);
  // Opens a "myxyla" file as a document of type "XylaMySQL": its list replaces the
  // current one and the panel comes to the front. Answers whether a list was read.
  bool openQueryFile(const std::string& path);
  // Shows the query of row `row` in the panel; nothing for an invalid row.
  void updateMySQLImport(int row);
  // The selected query, or null.
  const MySQLQuery* selectedQuery() const;

  std::vector<MySQLQuery> MYQ;
  int selected = -1;  // selected row, -1 for none

 private:
  bool readFile(const std::string& path, int mode);
  void panelChanged() const;

  Ui& ui_;
};

// The list in its stored form: a keyed archive (XML) of records with name, host, db,
// port, user, passwd, sql, autoupdate, autorescale and savepasswd, in this order.
std::string encodeQueryList(const std::vector<MySQLQuery>& list);
// Reads that form (XML or binary); absent fields keep their defaults. Nothing for
// bytes that are not such an archive.
std::optional<std::vector<MySQLQuery>> decodeQueryList(const std::string& bytes);

}  // namespace xyla
