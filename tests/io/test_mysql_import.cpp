// Against a MariaDB server of the tests' own (see support/mariadb_server.h).
#include <thread>

#include "import_fixture.h"
#include "io/mysql_import.h"
#include "io/mysql_queries.h"
#include "model/document_file.h"
#include "model/palette.h"
#include "support/mariadb_server.h"

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

TEST_F(MySQL, OpeningADocumentRefreshesItsDatabaseBuffers) {
  ASSERT_TRUE(server->run("CREATE TABLE xylatest.opened (y INT);\nINSERT INTO xylatest.opened VALUES (4)").empty());
  importMySQL(doc, query("SELECT y FROM opened"), true, false, ui);
  const std::string path = settings.path("doc.xyla");
  ASSERT_TRUE(saveDocumentFile(doc, path, ui));
  ASSERT_TRUE(server->run("INSERT INTO xylatest.opened VALUES (9)").empty());
  XylaDocument reopened(&m);
  ASSERT_TRUE(openDocumentFile(reopened, path, ui));
  EXPECT_EQ(dump(reopened), "0,4 1,9\n");
  ASSERT_TRUE(server->run("DROP TABLE xylatest.opened").empty());
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

TEST_F(MySQL, ConnectionLostInTheMiddleOfAResult) {
  ASSERT_TRUE(server->run("CREATE TABLE xylatest.slow (x INT);\nINSERT INTO xylatest.slow VALUES (1), (2), (3), (4), (5), (6)").empty());
  std::thread killer([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    server->run("KILL CONNECTION USER 'xyla'");
  });
  const int made = importMySQL(doc, query("SELECT x, SLEEP(1) FROM slow"), false, false, ui);
  killer.join();
  EXPECT_EQ(made, 0);
  EXPECT_EQ(doc.bufferCount(), 0);
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "MySQL Query Error");
  ASSERT_TRUE(server->run("DROP TABLE xylatest.slow").empty());
}

}  // namespace
}  // namespace xyla::test
