// The user-defaults store against the desktop toolkit's own settings class, which wrote
// the users' files before: what one writes the other reads back the same, and both
// spell the same values the same way in the file.
#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "model/ini_text.h"
#include "model/settings.h"
#include "support/test_files.h"

using namespace xyla;

namespace {

// Texts that need escaping, quoting or care on reading.
const std::vector<std::string> kAwkwardTexts = {
    "",
    "plain",
    "a, b",
    "semi;colon",
    "x=1",
    "\"quoted\"",
    "back\\slash",
    "C:\\new\\table",
    "  leading",
    "trailing  ",
    " both ",
    "tab\there",
    "line\nbreak\r\n",
    "bell\a, ctl\x01"
    "1f",
    "@at start",
    "@@two",
    "@Invalid()",
    "@String(x)",
    "Grüße, Ångström – 光電子",
    "emoji 😀",
    "'single' and ?",
    "#hash [section] %percent",
    "ends with backslash\\",
};

std::string qtWrittenText(const QTemporaryDir& dir, const std::string& name, const QVariant& value) {
  const QString file = dir.filePath(QString::fromStdString(name));
  {
    QSettings qs(file, QSettings::IniFormat);
    qs.setValue("Key", value);
  }
  return test::readFile(file.toStdString());
}

class SettingsTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }
  QTemporaryDir dir;
};

}  // namespace

TEST_F(SettingsTest, TextsReadBackAndAreSpelledAsTheToolkitSpellsThem) {
  int n = 0;
  for (const std::string& text : kAwkwardTexts) {
    SCOPED_TRACE(text);
    const std::string name = "t" + std::to_string(n++);
    const std::string qtFile = qtWrittenText(dir, name + "-qt.ini", QString::fromStdString(text));
    {
      Settings ours(path(name + "-ours.ini"));
      ours.setString("Key", text);
    }
    EXPECT_EQ(test::readFile(path(name + "-ours.ini")), qtFile);
    EXPECT_EQ(Settings(path(name + "-qt.ini")).getString("Key"), text);
    QSettings qs(QString::fromStdString(path(name + "-ours.ini")), QSettings::IniFormat);
    EXPECT_EQ(qs.value("Key").toString().toStdString(), text);
  }
}

TEST_F(SettingsTest, ListsReadBackAndAreSpelledAsTheToolkitSpellsThem) {
  const std::vector<std::vector<std::string>> lists = {
      {}, {""}, {"one"}, {"a, b"}, {"", ""}, {"x", "y", "z"}, kAwkwardTexts,
  };
  int n = 0;
  for (const auto& list : lists) {
    SCOPED_TRACE(n);
    const std::string name = "l" + std::to_string(n++);
    QStringList qlist;
    for (const std::string& s : list) qlist << QString::fromStdString(s);
    const std::string qtFile = qtWrittenText(dir, name + "-qt.ini", qlist);
    {
      Settings ours(path(name + "-ours.ini"));
      ours.setStringList("Key", list);
    }
    EXPECT_EQ(test::readFile(path(name + "-ours.ini")), qtFile);
    EXPECT_EQ(Settings(path(name + "-qt.ini")).getStringList("Key"), list);
    QSettings qs(QString::fromStdString(path(name + "-ours.ini")), QSettings::IniFormat);
    QStringList back = qs.value("Key").toStringList();
    std::vector<std::string> read;
    for (const QString& s : back) read.push_back(s.toStdString());
    EXPECT_EQ(read, list);
  }
}

TEST_F(SettingsTest, NumbersAndTruthValuesAreSpelledAsTheToolkitSpellsThem) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<double> doubles = {0.0,    -0.0,       1.0,      -2.5,    0.1,      1.0 / 3, 1e-4, 1e-5,
                                       1234.5, 10000.0,    1e5,      123456,  1.5e6,    1e15,    1e16, 1e20,
                                       1e-300, 5e-324,     1.7e308,  12.5e10, 0.000123, 6.02e23, inf,  -inf,
                                       1e21,   98765.4321, 2.0f / 3, 100,     -0.00012, 4.35e-3};
  for (const double v : doubles) {
    SCOPED_TRACE(v);
    EXPECT_EQ(ini::shortestDouble(v), QVariant(v).toString().toStdString());
    // A file of its own per value: the toolkit keeps what it read of a file.
    const std::string file = path("d" + ini::shortestDouble(v) + ".ini");
    {
      Settings ours(file);
      ours.setDouble("Key", v);
    }
    QSettings qs(QString::fromStdString(file), QSettings::IniFormat);
    EXPECT_EQ(qs.value("Key").toDouble(), v);
    EXPECT_EQ(Settings(file).getDouble("Key"), v);
  }
  EXPECT_EQ(ini::shortestDouble(std::nan("")), QVariant(std::nan("")).toString().toStdString());

  struct Typed {
    QVariant qt;
    void (*set)(Settings&);
  };
  const std::vector<Typed> typed = {
      {QVariant(true), [](Settings& s) { s.setBool("Key", true); }},
      {QVariant(false), [](Settings& s) { s.setBool("Key", false); }},
      {QVariant(-2147483647 - 1), [](Settings& s) { s.setInt("Key", -2147483647 - 1); }},
      {QVariant(42), [](Settings& s) { s.setInt("Key", 42); }},
      {QVariant(double(0.1f)), [](Settings& s) { s.setFloat("Key", 0.1f); }},
  };
  int n = 0;
  for (const Typed& t : typed) {
    const std::string name = "n" + std::to_string(n++);
    const std::string qtFile = qtWrittenText(dir, name + "-qt.ini", t.qt);
    {
      Settings ours(path(name + "-ours.ini"));
      t.set(ours);
    }
    EXPECT_EQ(test::readFile(path(name + "-ours.ini")), qtFile) << t.qt.toString().toStdString();
  }
}

TEST_F(SettingsTest, HandWrittenFilesReadAsTheToolkitReadsThem) {
  // Comments, sections, spaces, continued lines, escapes and quotes as a person might
  // edit the file; every key must read the same through both.
  const std::string text =
      "\xEF\xBB\xBF; a comment\n"
      "[General]\n"
      "  Spaced  =   value with spaces   \n"
      "Quoted=\"  kept  \"  \n"
      "Mixed=\"a,b\" , c ,\"d\"\n"
      "Escapes=\\x41\\102\\t\\q\\\"\\\\end\\x\n"
      "HexThenDigit=\\x41\\x31\n"
      "Continued=first\\\n second\n"
      "Comment=before;after\n"
      "QuotedNewline=\"one\n two\"\n"
      "NoEquals\n"
      "Empty=\n"
      "Trail=a\\ \n"
      "Percent%20Key=pk\n"
      "Slash\\Key=sk\n"
      "Lists=1, 2,, 3 \n"
      "[Group]\n"
      "Inner=in group\n"
      "[%General]\n"
      "Odd=general section\n"
      "[General]\n"
      "Late=back in general\n"
      "Spaced=overridden\n";
  const std::string file = path("hand.ini");
  test::writeFile(file, text);
  QSettings qs(QString::fromStdString(file), QSettings::IniFormat);
  const Settings ours(file);
  const QStringList keys = qs.allKeys();
  ASSERT_GE(keys.size(), 15);
  for (const QString& key : keys) {
    SCOPED_TRACE(key.toStdString());
    const QVariant v = qs.value(key);
    ASSERT_TRUE(ours.contains(key.toStdString()));
    EXPECT_EQ(ours.getString(key.toStdString()), v.toString().toStdString());
    std::vector<std::string> list;
    for (const QString& s : v.toStringList()) list.push_back(s.toStdString());
    EXPECT_EQ(ours.getStringList(key.toStdString()), list);
  }
  EXPECT_FALSE(ours.contains("NoEquals"));
}

TEST_F(SettingsTest, TwoStoresSyncingTheSameFileKeepEachOthersKeys) {
  const std::string file = path("shared.ini");
  {
    Settings first(file);
    Settings second(file);
    first.setString("First", "1");
    first.setString("Gone", "soon");
    second.setString("Second", "2");
    first.sync();
    second.sync();
    EXPECT_EQ(second.getString("First"), "1");  // read back from the file at sync
    second.remove("Gone");
    first.setInt("Third", 3);
    second.sync();
    first.sync();
    // A store without changes of its own takes what the other wrote.
    second.sync();
    EXPECT_EQ(second.getInt("Third"), 3);
    second.sync();
    EXPECT_EQ(second.getInt("Third"), 3);
  }
  const Settings fresh(file);
  EXPECT_EQ(fresh.getString("First"), "1");
  EXPECT_EQ(fresh.getString("Second"), "2");
  EXPECT_EQ(fresh.getInt("Third"), 3);
  EXPECT_FALSE(fresh.contains("Gone"));
  EXPECT_FALSE(std::filesystem::exists(file + ".lock"));
}

TEST_F(SettingsTest, ALockLeftByAKilledWriterIsTakenOver) {
  const std::string file = path("locked.ini");
  test::writeFile(file + ".lock", "999999999\nxyla\nhost\n");  // no such process
  {
    Settings s(file);
    s.setBool("Written", true);
  }
  EXPECT_EQ(Settings(file).getBool("Written"), true);
  EXPECT_FALSE(std::filesystem::exists(file + ".lock"));
}

TEST_F(SettingsTest, TheUserStoreIsWhereTheToolkitKeptIt) {
  // The toolkit fixes its folders once per process, so the comparison uses the
  // environment the test started with (and writes nothing there).
  EXPECT_EQ(Settings().path(),
            QSettings(QSettings::IniFormat, QSettings::UserScope, "Xyla", "Xyla").fileName().toStdString());

  const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
  const QByteArray oldHome = qgetenv("HOME");
  qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
  qputenv("HOME", QByteArray::fromStdString(path("home")));
  EXPECT_EQ(Settings().path(), path("home") + "/.config/Xyla/Xyla.ini");
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(path("config")));
  {
    QSettings qs(QString::fromStdString(path("config") + "/Xyla/Xyla.ini"), QSettings::IniFormat);
    qs.setValue("FromQt", "yes");
  }
  {
    Settings ours;
    EXPECT_EQ(ours.path(), path("config") + "/Xyla/Xyla.ini");
    EXPECT_EQ(ours.getString("FromQt"), "yes");
  }
  // Keys the user's file lacks come from the organisation-wide file.
  test::writeFile(path("config") + "/Xyla.ini", "[General]\nOrganisationWide=1\nFromQt=no\n");
  EXPECT_EQ(Settings().getInt("OrganisationWide"), 1);
  EXPECT_EQ(Settings().getString("FromQt"), "yes");
  qputenv("XDG_CONFIG_HOME", oldXdg);
  qputenv("HOME", oldHome);
}

TEST_F(SettingsTest, GettersRefuseValuesOfAnotherKind) {
  Settings s(path("kinds.ini"));
  s.setString("Text", "abc");
  s.setString("Spaced", " +7 ");
  s.setStringList("List", {"1", "2"});
  s.setStringList("None", {});
  s.setString("Colour", "0.5  0.25 1 1");
  s.setString("ShortColour", "0.5 0.25 1");
  EXPECT_EQ(s.getInt("Text"), std::nullopt);
  EXPECT_EQ(s.getDouble("Text"), std::nullopt);
  EXPECT_EQ(s.getBool("Text"), std::nullopt);
  EXPECT_EQ(s.getInt("Spaced"), 7);
  EXPECT_EQ(s.getInt("List"), std::nullopt);
  EXPECT_EQ(s.getString("List"), "");
  EXPECT_EQ(s.getStringList("None"), std::vector<std::string>{});
  EXPECT_TRUE(s.contains("None"));
  EXPECT_EQ(s.getColour("Colour"), (Colour{0.5, 0.25, 1, 1}));
  EXPECT_EQ(s.getColour("ShortColour"), std::nullopt);
  EXPECT_EQ(s.getInt("Missing"), std::nullopt);
}
