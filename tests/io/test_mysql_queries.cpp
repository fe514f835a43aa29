#include <sys/stat.h>

#include "import_fixture.h"
#include "io/mysql_queries.h"
#include "model/settings.h"

namespace xyla::test {
namespace {

class Queries : public ImportFixture {
 protected:
  std::string names() const {
    std::string out;
    for (const MySQLQuery& q : store.MYQ) out += q.name + ";";
    return out;
  }
  // The list as the store keeps it.
  std::vector<MySQLQuery> stored() {
    return decodeQueryList(settings->getString("MySQLQueries").value_or("")).value_or(std::vector<MySQLQuery>{});
  }
  static MySQLQuery named(const std::string& name) {
    MySQLQuery q{name, "db.example", "lab", "me", "secret", "SELECT 1", 3307, true, false};
    return q;
  }

  QueryStore store{ui};
};

TEST_F(Queries, FirstLaunchHasOneNewQueryAndTheListIsSavedAfterEveryChange) {
  store.load();
  ASSERT_EQ(store.MYQ.size(), 1u);
  EXPECT_EQ(store.MYQ[0], (MySQLQuery{"New Query", "localhost", "test", "", "", "", 3306, false, false}));
  EXPECT_EQ(stored(), store.MYQ);

  const int shown = ui.queryPanelChanges;
  store.my_add();
  EXPECT_EQ(ui.queryPanelChanges, shown + 1) << "the panel shows the new query";
  EXPECT_EQ(store.selected, 1);
  EXPECT_EQ(store.MYQ[1].db, "localhost");  // the database field starts as the host field
  store.my_save(named("spectra"));
  EXPECT_EQ(stored()[1], named("spectra"));
  store.updateMySQLImport(0);
  store.my_sqlHasChanged(named("first"));
  EXPECT_EQ(names(), "first;spectra;");
  store.my_delete();
  EXPECT_EQ(names(), "spectra;");
  EXPECT_EQ(store.selected, 0);
  store.my_delete();
  store.my_delete();  // nothing left to delete
  EXPECT_EQ(store.selected, -1);
  EXPECT_TRUE(stored().empty());
  // An emptied list stays empty at the next start.
  store.load();
  EXPECT_TRUE(store.MYQ.empty());
}

TEST_F(Queries, ExportedListsReplaceOrAppend) {
  store.MYQ = {named("a"), named("b")};
  ui.answerSave(settings.path("mine"));
  store.my_export();
  const std::string file = settings.path("mine.myxyla");
  store.MYQ = {named("c")};
  ui.answerOpen({file});
  EXPECT_TRUE(store.my_import(1));
  EXPECT_EQ(names(), "c;a;b;");
  EXPECT_EQ(store.selected, 1);  // the first appended query
  EXPECT_EQ(settings->getInt("SrcImportMode"), 1);
  ui.answerOpen({file});
  EXPECT_TRUE(store.my_import(0));
  EXPECT_EQ(names(), "a;b;");
  EXPECT_EQ(stored(), store.MYQ);
  EXPECT_EQ(store.MYQ[1], named("b"));  // every field survives the file

  store.MYQ.clear();
  EXPECT_TRUE(store.openQueryFile(file));
  EXPECT_EQ(names(), "a;b;");
  EXPECT_EQ(ui.queryPanelShows, 1);
  // Files that hold no list are refused with a message and change nothing.
  EXPECT_FALSE(store.openQueryFile(this->file("bad.myxyla", "not an archive")));
  const std::string fifo = settings.path("fifo.myxyla");  // refused, not waited on
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(store.openQueryFile(fifo));
  EXPECT_EQ(names(), "a;b;");
  EXPECT_EQ(ui.alerts.back().title, "MySQL Import");
  store.MYQ.clear();
  store.my_export();  // an empty list is not exported
  EXPECT_EQ(ui.beeps, 1);
}

}  // namespace
}  // namespace xyla::test
