#include <gtest/gtest.h>

#include <string>

#include "model/keyed_archive.h"
#include "support/test_files.h"

using namespace xyla::archive;

namespace {

// An XML archive whose objects are given literally (after "$null").
std::string xmlArchive(const std::string& objects, const std::string& root = "1") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
         "<key>$archiver</key><string>NSKeyedArchiver</string>"
         "<key>$version</key><integer>100000</integer>"
         "<key>$top</key><dict><key>root</key><dict><key>CF$UID</key><integer>" +
         root +
         "</integer></dict></dict>"
         "<key>$objects</key><array><string>$null</string>" +
         objects + "</array></dict></plist>";
}

std::string ref(int n) { return "<dict><key>CF$UID</key><integer>" + std::to_string(n) + "</integer></dict>"; }

// A record of class "R" (the class record is object 2) with the given entries.
std::string record(const std::string& entries) { return "<dict><key>$class</key>" + ref(2) + entries + "</dict>"; }
const std::string kClassR = "<dict><key>$classname</key><string>R</string><key>$classes</key>"
                            "<array><string>R</string></array></dict>";

std::string everyKind(PlistFormat format) {
  ArchiveWriter w;
  ArchiveWriter::Record r = w.record("Thing");
  r.setBool("b", true);
  r.setInt("i", -123456);
  r.setDouble("d", 0.1);
  r.setString("s", "Grüße <&>");
  const double block[2] = {1.5, -2.0};
  r.setData("data", block, sizeof block);
  r.setColour("c", {0.1, 0.2, 0.3, 0.4});
  r.setFont("f", {"Helvetica", 13.5});
  r.setStringDictionary("dict", {{"k", "v"}, {"", "empty key"}});
  ArchiveWriter::Record inner = w.record("Inner");
  inner.setInt("n", 7);
  r.setObject("list", w.list({w.string("one"), inner.uid(), Uid{0}}));
  return w.finish(r.uid(), format);
}

}  // namespace

class EveryKind : public ::testing::TestWithParam<PlistFormat> {};

TEST_P(EveryKind, RoundTripsAndRefusesOtherKinds) {
  const std::string bytes = everyKind(GetParam());
  EXPECT_EQ(bytes.substr(0, 8) == "bplist00", GetParam() == PlistFormat::Binary);
  const auto reader = ArchiveReader::open(bytes);
  ASSERT_TRUE(reader);
  const ArchiveItem root = reader->root();
  EXPECT_EQ(root.className(), "Thing");
  EXPECT_EQ(root.get("b").asBool(), true);
  EXPECT_EQ(root.get("i").asInt(), -123456);
  EXPECT_EQ(root.get("d").asDouble(), 0.1);
  EXPECT_EQ(root.get("i").asDouble(), -123456.0);
  EXPECT_EQ(root.get("s").asString(), "Grüße <&>");
  const auto data = root.get("data").asData();
  ASSERT_TRUE(data);
  ASSERT_EQ(data->size(), 2 * sizeof(double));
  EXPECT_EQ(reinterpret_cast<const double*>(data->data())[1], -2.0);
  EXPECT_EQ(root.get("c").asColour(), (xyla::Colour{0.1, 0.2, 0.3, 0.4}));
  EXPECT_EQ(root.get("f").asFont(), (xyla::FontSpec{"Helvetica", 13.5}));
  const auto dict = root.get("dict").asStringDictionary();
  ASSERT_TRUE(dict);
  EXPECT_EQ(dict->at(""), "empty key");
  EXPECT_EQ(dict->at("k"), "v");
  const auto list = root.get("list").asList();
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 3u);
  EXPECT_EQ((*list)[0].asString(), "one");
  EXPECT_EQ((*list)[1].get("n").asInt(), 7);
  EXPECT_TRUE((*list)[2].isNull());

  // Every getter refuses a value of another kind.
  EXPECT_FALSE(root.get("d").asInt());
  EXPECT_FALSE(root.get("i").asBool());
  EXPECT_FALSE(root.get("b").asInt());
  EXPECT_FALSE(root.get("s").asData());
  EXPECT_FALSE(root.get("data").asString());
  EXPECT_FALSE(root.get("c").asFont());
  EXPECT_FALSE(root.get("f").asColour());
  EXPECT_FALSE(root.get("list").asStringDictionary());
  EXPECT_FALSE(root.get("dict").asList());
  EXPECT_FALSE(root.get("s").asList());
  EXPECT_TRUE(root.get("absent").isNull());
  EXPECT_FALSE(root.get("absent").asString());
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryKind, ::testing::Values(PlistFormat::Xml, PlistFormat::Binary));

TEST(KeyedArchive, RefusesWhatIsNotAKeyedArchive) {
  EXPECT_FALSE(ArchiveReader::open(""));
  EXPECT_FALSE(ArchiveReader::open("not a property list at all"));
  EXPECT_FALSE(ArchiveReader::open("<plist version=\"1.0\"><array/></plist>"));
  std::string other = xmlArchive(record(""));
  other.replace(other.find("NSKeyedArchiver"), 15, "SomethingElse!!");
  EXPECT_FALSE(ArchiveReader::open(other));
  const std::string whole = xmlArchive(kClassR + record("<key>x</key><integer>1</integer>"), "3");
  for (std::size_t cut : {whole.size() / 3, whole.size() / 2, whole.size() - 10})
    EXPECT_FALSE(ArchiveReader::open(whole.substr(0, cut))) << cut;
}

TEST(KeyedArchive, DanglingSelfAndCyclicReferencesEndInNull) {
  // Object 1 is class R; object 2... keep the class at 2 as `record` expects.
  const std::string objects = "<string>x</string>" + kClassR +
                              record("<key>self</key>" + ref(3) + "<key>far</key>" + ref(999) +
                                     "<key>null</key>" + ref(0) + "<key>other</key>" + ref(4)) +
                              record("<key>back</key>" + ref(3));
  const auto reader = ArchiveReader::open(xmlArchive(objects, "3"));
  ASSERT_TRUE(reader);
  const ArchiveItem root = reader->root();
  EXPECT_TRUE(root.get("far").isNull());
  EXPECT_TRUE(root.get("null").isNull());
  // Walking a cycle ends after the nesting limit instead of running forever.
  ArchiveItem it = root;
  int steps = 0;
  while (!it.isNull() && steps < 1000) {
    it = it.get(steps % 2 ? "back" : "other");
    ++steps;
  }
  EXPECT_LE(steps, ArchiveReader::kMaxDepth + 1);
  EXPECT_TRUE(root.get("self").get("self").isRecord());
}

TEST(KeyedArchive, ReadsRecordsOfOtherWriters) {
  // NSString and NSData records, a grey colour with alpha, integers too large for 32
  // bits and a class record whose name is not a string.
  const std::string objects =
      "<string>x</string>" + kClassR +
      record("<key>s</key>" + ref(4) + "<key>d</key>" + ref(6) + "<key>grey</key>" + ref(8) +
             "<key>big</key><integer>4294967296</integer><key>odd</key>" + ref(10)) +
      "<dict><key>NS.string</key><string>wrapped</string><key>$class</key>" + ref(5) + "</dict>" +
      "<dict><key>$classname</key><string>NSMutableString</string></dict>" +
      "<dict><key>NS.data</key><data>AQID</data><key>$class</key>" + ref(7) + "</dict>" +
      "<dict><key>$classname</key><string>NSMutableData</string></dict>" +
      "<dict><key>NSColorSpace</key><integer>3</integer><key>NSWhite</key><data>MC4yNSAwLjUA</data>"
      "<key>$class</key>" + ref(9) + "</dict>" +
      "<dict><key>$classname</key><string>NSColor</string></dict>" +
      "<dict><key>$class</key>" + ref(11) + "</dict>" + "<dict><key>$classname</key><integer>5</integer></dict>";
  const auto reader = ArchiveReader::open(xmlArchive(objects, "3"));
  ASSERT_TRUE(reader);
  const ArchiveItem root = reader->root();
  EXPECT_EQ(root.get("s").asString(), "wrapped");
  EXPECT_EQ(root.get("d").asData(), std::string("\x01\x02\x03"));
  EXPECT_EQ(root.get("grey").asColour(), (xyla::Colour{0.25, 0.25, 0.25, 0.5}));
  EXPECT_FALSE(root.get("big").asInt());
  EXPECT_EQ(root.get("big").asDouble(), 4294967296.0);
  EXPECT_EQ(root.get("odd").className(), "");
  EXPECT_FALSE(root.get("odd").asList());
}

TEST(KeyedArchive, InvalidUtf8IsRepairedAndSharedBlocksAreBudgeted) {
  ArchiveWriter w;
  ArchiveWriter::Record r = w.record("R");
  r.setString("bad", "a\xff\xfe" "b");
  const std::string block(1 << 20, 'x');
  const Uid shared = w.data(block.data(), block.size());
  r.setObject("list", w.list(std::vector<Uid>(1000, shared)));
  const auto reader = ArchiveReader::open(w.finish(r.uid(), PlistFormat::Binary));
  ASSERT_TRUE(reader);
  const auto bad = reader->root().get("bad").asString();
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->front(), 'a');
  EXPECT_EQ(bad->back(), 'b');
  EXPECT_EQ(bad->find('\xff'), std::string::npos);
  // A file of a few megabytes cannot hand out a gigabyte by naming one block 1000 times.
  const auto list = reader->root().get("list").asList();
  ASSERT_TRUE(list);
  std::size_t handedOut = 0;
  for (const ArchiveItem& item : *list)
    if (const auto v = item.dataView()) handedOut += v->size();
  EXPECT_GT(handedOut, 0u);
  EXPECT_LT(handedOut, std::size_t(200) << 20);
}

TEST(KeyedArchive, RefusesPlistsThatWouldExhaustTheParser) {
  // Each saved input once crashed the property-list parser (see the folder's README).
  for (const char* name : {"archive_xml-deep-nesting.xml", "archive_binary-shared-containers.bin",
                           "archive_binary-cycle.bin"}) {
    const std::string bytes = xyla::test::readFile(xyla::test::dataDir() + "/fuzz-regressions/" + name);
    ASSERT_FALSE(bytes.empty()) << name;
    EXPECT_FALSE(ArchiveReader::open(bytes)) << name;
  }
  // Nesting up to the limit is fine, self-closing containers do not count.
  auto nested = [](int depth) {
    std::string objects;
    for (int i = 0; i < depth; ++i) objects += "<array><dict/>";
    for (int i = 0; i < depth; ++i) objects += "</array>";
    return xmlArchive(kClassR + record("") + objects, "3");
  };
  EXPECT_TRUE(ArchiveReader::open(nested(200)));
  EXPECT_FALSE(ArchiveReader::open(nested(300)));
  // A binary file whose trailer points outside the data.
  std::string bin = everyKind(PlistFormat::Binary);
  ASSERT_TRUE(ArchiveReader::open(bin));
  bin[bin.size() - 1] = '\x7f';
  EXPECT_FALSE(ArchiveReader::open(bin));
  EXPECT_FALSE(ArchiveReader::open(bin.substr(0, 20)));
}
