// Against a MariaDB server of the tests' own (see support/mariadb_server.h).
#include <signal.h>

#include <map>
#include <sstream>
#include <thread>

#include "import_fixture.h"
#include "io/mysql_import.h"
#include "io/mysql_queries.h"
#include "macro/command_table.h"
#include "macro/macro.h"
#include "macro/macro_controller.h"
#include "model/document_file.h"
#include "model/palette.h"
#include "model/password_store.h"
#include "support/mariadb_server.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

class MySQL : public ImportFixture {
 protected:
  static void SetUpTestSuite() {
    if (MariaDbServer::missing()) return;
    server = new MariaDbServer();
    if (!server->running()) return;
    const std::string error = server->run(
        "USE xylatest;\n"
        "CREATE TABLE t (x DOUBLE, a DOUBLE, b INT, note VARCHAR(20));\n"
        "INSERT INTO t VALUES (1, 10, 100, '7.5'), (2, NULL, 200, 'seven'), (3, 30, NULL, NULL);\n"
        "CREATE TABLE days (d DATETIME, v DOUBLE);\n"
        "INSERT INTO days VALUES ('2001-01-01 00:00:00', 1), ('2001-01-02 00:00:10', 2)");
    if (!error.empty()) ADD_FAILURE() << error;
  }
  static void TearDownTestSuite() {
    delete server;
    server = nullptr;
  }
  void SetUp() override {
    if (MariaDbServer::missing()) GTEST_SKIP() << "MariaDB server not installed (Debian mariadb-server): MySQL tests skipped";
    ASSERT_TRUE(server->running()) << server->error();
    installMySQLRefresh(m);
  }

  static MySQLSource query(const std::string& sql) {
    return {MariaDbServer::host(), MariaDbServer::database(), MariaDbServer::user(), MariaDbServer::password(),
            server->port(), sql};
  }
  std::string comments() const {
    std::string out;
    for (const auto& b : doc.DB) out += b->comment + ";";
    return out;
  }
  // No message may show the password.
  void TearDown() override {
    for (const auto& a : ui.alerts) EXPECT_EQ(a.message.find(MariaDbServer::password()), std::string::npos);
  }

  static MariaDbServer* server;
};

MariaDbServer* MySQL::server = nullptr;

struct Case {
  const char* sql;
  const char* buffers;
  const char* comments;
};

TEST_F(MySQL, ResultColumnsBecomeBuffers) {
  const Case cases[] = {
      {"SELECT a FROM t ORDER BY x", "0,10 1,0 2,30\n", "a;"},
      {"SELECT x, a, b FROM t ORDER BY x", "1,10 2,0 3,30\n1,100 2,200 3,0\n", "x;a;"},
      {"SELECT x, note FROM t ORDER BY x", "1,7.5 2,0 3,0\n", "x;"},
  };
  for (const Case& c : cases) {
    XylaDocument d(&m);
    importMySQL(d, query(c.sql), false, false, ui);
    EXPECT_EQ(dump(d), c.buffers) << c.sql;
    std::string names;
    for (const auto& b : d.DB) names += b->comment + ";";
    EXPECT_EQ(names, c.comments) << c.sql;
    EXPECT_EQ(d.axismode[0], 0);
  }
  EXPECT_TRUE(ui.alerts.empty()) << alerts();
}

TEST_F(MySQL, BuffersRememberTheirQueryAndTakeThePaletteColours) {
  importMySQL(doc, query("SELECT x, a, b FROM t"), true, true, ui);
  ASSERT_EQ(doc.bufferCount(), 2);
  const DataBuffer& b = *doc.buffer(1);
  EXPECT_EQ(b.source, "MySQL");
  EXPECT_TRUE(b.hassource);
  EXPECT_TRUE(b.my_autoupdate);
  EXPECT_EQ(b.my_sql, "SELECT x, a, b FROM t");
  EXPECT_EQ(b.my_passwd, MariaDbServer::password());
  EXPECT_EQ(b.my_port, server->port());
  EXPECT_EQ(b.my_xcol, 0);
  EXPECT_EQ(b.my_ycol, 2);
  EXPECT_EQ(doc.buffer(0)->color, paletteColour(0));
  EXPECT_EQ(b.color, paletteColour(1));
  EXPECT_TRUE(doc.rescaleafterupdate);
}

TEST_F(MySQL, DatesInTheFirstColumnMakeATimeAxis) {
  importMySQL(doc, query("SELECT d, v FROM days ORDER BY d"), false, false, ui);
  // Seconds since 2001-01-01 in the local time zone of the test run.
  const double offset = doc.buffer(0)->X[0];
  EXPECT_EQ(doc.buffer(0)->X[1] - offset, 86410);
  EXPECT_EQ(doc.axismode[0], 2);
}

TEST_F(MySQL, ServerFailuresShowTheServersMessageAndChangeNothing) {
  MySQLSource wrongPassword = query("SELECT 1");
  wrongPassword.passwd = "not-the-password";
  MySQLSource wrongDatabase = query("SELECT 1");
  wrongDatabase.db = "nosuchdb";
  MySQLSource down = query("SELECT 1");
  down.port = 1;
  const struct {
    MySQLSource source;
    const char* title;
    const char* message;
  } cases[] = {
      {wrongPassword, "MySQL Connect Error", "Access denied for user 'xyla'"},
      {wrongDatabase, "MySQL Database Error", "nosuchdb"},
      {query("SELEC x FROM t"), "MySQL Query Error", "SQL syntax"},
      {query("SELECT nosuchcolumn FROM t"), "MySQL Query Error", "nosuchcolumn"},
      {down, "MySQL Connect Error", "127.0.0.1"},
  };
  for (const auto& c : cases) {
    ui.alerts.clear();
    EXPECT_EQ(importMySQL(doc, c.source, false, false, ui), 0);
    ASSERT_EQ(ui.alerts.size(), 1u) << c.title;
    EXPECT_EQ(ui.alerts[0].title, c.title);
    EXPECT_NE(ui.alerts[0].message.find(c.message), std::string::npos) << ui.alerts[0].message;
  }
  EXPECT_EQ(doc.bufferCount(), 0);
}

TEST_F(MySQL, EmptyResultSaysSo) {
  importMySQL(doc, query("SELECT x, a FROM t WHERE x > 100"), false, false, ui);
  EXPECT_EQ(doc.bufferCount(), 1);
  EXPECT_EQ(alerts(), "Nothing Imported: No points were read from the query on 127.0.0.1.\n");
}

TEST_F(MySQL, RefreshReplacesPointsAndKeepsThemWhenColumnsAreGone) {
  ASSERT_TRUE(server->run("CREATE TABLE xylatest.live (x INT, y INT, z INT);\nINSERT INTO xylatest.live VALUES (1, 2, 3)").empty());
  importMySQL(doc, query("SELECT x, y FROM live"), false, false, ui);  // no automatic update
  importMySQL(doc, query("SELECT * FROM live"), true, true, ui);        // the last import sets the rescale
  doc.buffer(1)->addError();
  ASSERT_TRUE(server->run("INSERT INTO xylatest.live VALUES (5, 6, 7)").empty());
  doc.updatedata();  // what the refresh timer runs
  EXPECT_EQ(dump(doc), "1,2\n1,2 5,6\n1,3 5,7\n");
  EXPECT_TRUE(doc.buffer(1)->EX.empty());
  EXPECT_GT(doc.ymax1, 7);  // rescaled after the refresh

  // A dropped column: the buffer that read it keeps its points and says so.
  ASSERT_TRUE(server->run("ALTER TABLE xylatest.live DROP COLUMN z").empty());
  doc.updatedata();
  EXPECT_EQ(dump(doc), "1,2\n1,2 5,6\n1,3 5,7\n");
  EXPECT_EQ(alerts(), "MySQL Update Error: \n");
  ASSERT_TRUE(server->run("DROP TABLE xylatest.live").empty());
}

TEST_F(MySQL, ExecuteFromTheQueryListImportsAndRescales) {
  QueryStore store(ui);
  MySQLQuery q{"t", MariaDbServer::host(), MariaDbServer::database(), MariaDbServer::user(), MariaDbServer::password(),
               "SELECT x, b FROM t ORDER BY x", server->port(), false, false};
  m.setCurrentDocument(nullptr);
  store.my_execute(m, q);  // nothing without a document
  m.setCurrentDocument(&doc);
  store.my_execute(m, q);
  EXPECT_EQ(dump(doc), "1,100 2,200 3,0\n");
  EXPECT_GT(doc.ymax1, 200);
}

// A server that stops answering is given up after the time limit the person set, with the
// client's message; one killed while it works on a query says what happened.
TEST_F(MySQL, AServerThatStopsAnsweringIsGivenUp) {
  settings->setInt("MySQLTimeLimit", 1);
  std::thread stopper([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ::kill(pid_t(server->pid()), SIGSTOP);
  });
  const int made = importMySQL(doc, query("SELECT SLEEP(3)"), false, false, ui);
  stopper.join();
  ::kill(pid_t(server->pid()), SIGCONT);
  EXPECT_EQ(made, 0);
  ASSERT_EQ(ui.alerts.size(), 1u) << alerts();
  EXPECT_EQ(ui.alerts[0].title, "MySQL Query Error");
  EXPECT_FALSE(ui.alerts[0].message.empty());

  MariaDbServer doomed;
  ASSERT_TRUE(doomed.running()) << doomed.error();
  ASSERT_TRUE(
      doomed.run("CREATE TABLE xylatest.slow (x INT);\nINSERT INTO xylatest.slow VALUES (1), (2), (3), (4)").empty());
  std::thread killer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ::kill(pid_t(doomed.pid()), SIGKILL);
  });
  settings->setInt("MySQLTimeLimit", 10);
  MySQLSource slow = query("SELECT x, SLEEP(1) FROM slow");
  slow.port = doomed.port();
  ui.alerts.clear();
  EXPECT_EQ(importMySQL(doc, slow, false, false, ui), 0);
  killer.join();
  ASSERT_EQ(ui.alerts.size(), 1u) << alerts();
  EXPECT_EQ(ui.alerts[0].title, "MySQL Query Error");
  EXPECT_EQ(doc.bufferCount(), 0);
}

// Cancel in the progress window ends the wait for a server at once.
TEST_F(MySQL, CancelEndsTheWaitForAServer) {
  struct CancellingUi : ScriptedUi {
    int asked = 0;
    bool progress(double) override { return ++asked < 3; }
  } cancelling;
  EXPECT_EQ(importMySQL(doc, query("SELECT SLEEP(30)"), false, false, cancelling), 0);
  EXPECT_TRUE(cancelling.alerts.empty());
  EXPECT_EQ(doc.bufferCount(), 0);
}

// The macro command reads its arguments in the order its description names them.
TEST_F(MySQL, TheImportCommandTakesItsArgumentsAsDescribed) {
  const std::map<std::string, std::string> values = {
      {"host", MariaDbServer::host()},          {"database", MariaDbServer::database()},
      {"user", MariaDbServer::user()},          {"password", MariaDbServer::password()},
      {"port", std::to_string(server->port())}, {"query", "SELECT x, b FROM t ORDER BY x"}};
  std::istringstream names(CommandTable::standard().entriesNamed("mysqlimport").front()->help.arguments);
  std::string line = "mysqlimport";
  for (std::string name; names >> name;) line += " '" + values.at(name) + "'";
  MacroController mc(m);
  Macro macro;
  macro.src = line + "\n";
  macro.parseMacroFor(m, &doc, &mc);
  EXPECT_EQ(dump(doc), "1,100 2,200 3,0\n") << alerts();
}

// A document names its own server: opening it reaches out without asking only to servers
// the person's stored queries name (or all with --allow-network); for others it asks
// once, and the default answer (a batch run's) refuses.
TEST_F(MySQL, ADocumentReachesOnlyServersThePersonAllows) {
  ASSERT_TRUE(server->run("CREATE TABLE xylatest.shared (y INT);\nINSERT INTO xylatest.shared VALUES (4)").empty());
  MySQLSource s = query("SELECT y FROM shared");
  s.savePassword = true;
  importMySQL(doc, s, true, false, ui);
  const std::string path = settings.path("shared.xyla");
  ASSERT_TRUE(saveDocumentFile(doc, path, ui));
  ASSERT_TRUE(server->run("INSERT INTO xylatest.shared VALUES (9)").empty());
  QueryStore queries(ui);
  ConnectionApproval approval(&queries);
  installMySQLRefresh(m, &approval);
  const struct {
    const char* answer;  // to the question, or "" for none expected
    bool named, allowAll, refreshed;
  } cases[] = {{"Don't Connect", false, false, false},
               {"Connect", false, false, true},
               {"", true, false, true},
               {"", false, true, true}};
  for (const auto& c : cases) {
    ConnectionApproval fresh(&queries);
    approval = fresh;
    approval.allowNetwork(c.allowAll);
    queries.MYQ.clear();
    if (c.named) queries.MYQ.push_back({"mine", MariaDbServer::host(), "", "", "", "", server->port()});
    ui.alerts.clear();
    if (*c.answer) ui.answer(c.answer);
    XylaDocument opened(&m);
    ASSERT_TRUE(openDocumentFile(opened, path, ui));
    EXPECT_EQ(dump(opened), c.refreshed ? "0,4 1,9\n" : "0,4\n") << c.answer;
    ASSERT_EQ(ui.alerts.size(), *c.answer ? 1u : 0u) << alerts();
    if (*c.answer) {
      EXPECT_EQ(ui.alerts[0].title, "MySQL Connection");
      EXPECT_NE(ui.alerts[0].message.find("127.0.0.1, port " + std::to_string(server->port())), std::string::npos);
    }
  }
  ASSERT_TRUE(server->run("DROP TABLE xylatest.shared").empty());
}

// Passwords stay out of documents unless the person asks for them there; a refresh takes
// the password from the keyring, or asks for it.
TEST_F(MySQL, PasswordsStayOutOfDocuments) {
  struct MemoryKeyring : PasswordStore {
    std::map<std::string, std::string> kept;
    std::optional<std::string> read(const std::string& a) override {
      const auto it = kept.find(a);
      return it == kept.end() ? std::nullopt : std::optional(it->second);
    }
    bool write(const std::string& a, const std::string& p) override { return kept[a] = p, true; }
  } keyring;
  struct AskingUi : ScriptedUi {
    std::optional<std::string> typed;
    std::optional<std::string> passwordPanel(const std::string&, const std::string&) override { return typed; }
  } asking;
  Manager mm(asking);
  installMySQLRefresh(mm);
  const std::string account = "xyla@127.0.0.1:" + std::to_string(server->port());
  for (bool kept : {false, true}) {
    PasswordStore::setStandard(&keyring);
    MySQLSource s = query("SELECT x, b FROM t ORDER BY x");
    s.savePassword = kept;
    XylaDocument d(&mm);
    importMySQL(d, s, true, false, asking);
    EXPECT_EQ(keyring.kept[account], MariaDbServer::password());
    const std::string path = settings.path("pw.xyla");
    ASSERT_TRUE(saveDocumentFile(d, path, asking));
    EXPECT_EQ(readFile(path).find(MariaDbServer::password()) != std::string::npos, kept);
  }
  const std::string path = settings.path("pw.xyla");
  XylaDocument none(&mm);
  MySQLSource s = query("SELECT x, b FROM t ORDER BY x");
  importMySQL(none, s, true, false, asking);
  ASSERT_TRUE(saveDocumentFile(none, path, asking));
  // From the keyring, then typed by the person (no keyring), then not at all.
  const struct {
    bool keyring;
    std::optional<std::string> typed;
    bool refreshed;
  } cases[] = {{true, std::nullopt, true}, {false, MariaDbServer::password(), true}, {false, std::nullopt, false}};
  for (const auto& c : cases) {
    PasswordStore::setStandard(c.keyring ? &keyring : nullptr);
    asking.typed = c.typed;
    asking.alerts.clear();
    XylaDocument opened(&mm);
    ASSERT_TRUE(openDocumentFile(opened, path, asking));
    EXPECT_EQ(asking.alerts.empty(), c.refreshed) << (asking.alerts.empty() ? "" : asking.alerts[0].message);
  }
  PasswordStore::setStandard(nullptr);
}

}  // namespace
}  // namespace xyla::test
