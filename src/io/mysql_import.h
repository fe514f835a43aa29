#pragma once

#include <map>
#include <string>

#include "model/document_services.h"

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
  bool savePassword = false;  // the new buffers keep the password in document files
};

// The account a password is kept under in the keyring: "user@host:port".
std::string passwordAccount(const std::string& user, const std::string& host, int port);

class QueryStore;

// Which servers the automatic refresh of a document's MySQL buffers may reach. A
// document is passed on, so its stored host is not trusted by itself: without asking
// only hosts (and ports) that the person's own stored queries name, hosts they allowed
// before in this run, or any host with --allow-network. For any other host the person is
// asked once ("MySQL Connection", naming host and port); batch runs take the default
// answer, "Don't Connect", and so refuse with that message.
// As the controller's source reader it refreshes a MySQL buffer only once its server is
// approved.
class ConnectionApproval : public SourceReader {
 public:
  explicit ConnectionApproval(const QueryStore* queries) : queries_(queries) {}
  // With `on`, every host is allowed without asking (--allow-network).
  void allowNetwork(bool on) { allowAll_ = on; }
  // True when a refresh may connect to `host` on `port`.
  bool approve(const std::string& host, int port, Ui& ui) const;
  // Runs my_update on a buffer fed from MySQL whose server is approved.
  void refreshFromSource(DataBuffer& b, Ui& ui) const override;

 private:
  const QueryStore* queries_;
  bool allowAll_ = false;
  mutable std::map<std::string, bool> answered_;  // "host:port" -> the person's answer, asked once
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
// has an SQL text, a source and automatic update on. A buffer without its password (the
// document left it out) takes the one kept in the keyring, or asks for it. Server
// failures alert as above; a
// result without the buffer's columns shows "MySQL Update Error". The buffer keeps its
// points whenever the refresh fails. Answers whether the points were replaced.
bool my_update(DataBuffer& buffer, Ui& ui);

// Registers my_update as the controller's refresh of buffers fed from MySQL, which
// XylaDocument::updatedata (the refresh timer) and opening a document call. With
// `approval` a refresh first asks it whether the buffer's server may be reached.
void installMySQLRefresh(Manager& m, ConnectionApproval* approval = nullptr);

// The integer value of a port field's text ("3306"); 0 when it holds no number.
int portValue(const std::string& text);

}  // namespace xyla
