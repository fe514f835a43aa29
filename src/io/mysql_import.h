#pragma once

#include <string>

namespace xyla {

class DataBuffer;
class Manager;
class Ui;
class XylaDocument;

// Where a query runs and what it asks: server, database, account and SQL text.
struct MySQLSource {
  std::string host;
  std::string db;
  std::string user;
  std::string passwd;  // kept in clear, never shown in a message
  int port = 3306;
  std::string sql;
};

// Runs the query and appends one buffer per result column after the first (one buffer
// for a one-column result, X = row index), each remembering the query so that it can
// refresh itself; comments are the column names, colours the preference palette. Dates
// and times become seconds since 2001-01-01 UTC and turn the bottom axis into a time
// axis when they are the X column; NULL and text that is no number read 0. Server
// failures show "MySQL Connect Error", "MySQL Database Error" or "MySQL Query Error"
// with the server's own message and leave the document as it was. Sets the document's
// `rescaleafterupdate`. Answers the number of buffers made.
int importMySQL(XylaDocument& doc, const MySQLSource& query, bool autoupdate, bool autorescale, Ui& ui);

// Runs a buffer's query again and replaces its points (errors dropped), when the buffer
// has an SQL text, a source and automatic update on. Server failures alert as above; a
// result without the buffer's columns shows "MySQL Update Error". The buffer keeps its
// points whenever the refresh fails. Answers whether the points were replaced.
bool my_update(DataBuffer& buffer, Ui& ui);

// Registers my_update as the controller's refresh of buffers fed from MySQL, which
// XylaDocument::updatedata (the refresh timer) and opening a document call.
void installMySQLRefresh(Manager& m);

// The integer value of a port field's text ("3306"); 0 when it holds no number.
int portValue(const std::string& text);

}  // namespace xyla
