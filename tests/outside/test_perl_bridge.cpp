// The Perl bridge end to end: macros with inline Perl and stored Perl macros run by
// /usr/bin/perl through the shipped wrapper scripts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "macro/macro_fixture.h"
#include "outside/child_process.h"
#include "outside/private_directory.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

class PerlBridge : public MacroFixture {
 protected:
  // Temporary files go to a directory of this test's own, so the check that they are
  // removed does not see other tests running at the same time.
  PerlBridge() : tmp_(settings.path("tmp")) {
    std::filesystem::create_directory(tmp_);
    const char* old = std::getenv("TMPDIR");
    oldTmp_ = old ? old : "";
    setenv("TMPDIR", tmp_.c_str(), 1);
    addBuffer({1, 2, 3}, {10, 20, 30}).setComment("plain");
    DataBuffer& e = addBuffer({4, 5}, {40, 50});
    e.addError();
    e.setYDoubleErrorAt(1, 0.5);
    e.setSource("errors");
  }
  ~PerlBridge() override {
    if (oldTmp_.empty()) unsetenv("TMPDIR");
    else setenv("TMPDIR", oldTmp_.c_str(), 1);
  }
  std::string tmp_, oldTmp_;
  // Names of the Xyla.* directories in the temporary directory.
  static std::set<std::string> tempDirs() {
    std::set<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(outside::temporaryRoot()))
      if (e.path().filename().string().rfind("Xyla.", 0) == 0) out.insert(e.path().string());
    return out;
  }
};

TEST_F(PerlBridge, FilterSeesBuffersInOrderAndSendsAllColumnCounts) {
  m.GV["gain"] = 2;
  m.SV["unit"] = "eV";
  const auto before = tempDirs();
  const std::string console = run(R"(perlfilter 1,0
<perl>
my @c = map { scalar(@{$_->{x}}) . ($_->{errors} ? 'e' : '') . $_->{comment} . $_->{source} } @buffers;
print "seen @c\n";
my $b = $buffers[0];
newbuffer(y => [map { $_ * $var{gain} } @{$b->{y}}]);
newbuffer(x => $b->{x}, y => $b->{y}, comment => 'two', source => 'mine');
newbuffer(x => $buffers[1]{x}, y => $buffers[1]{y}, ey => $buffers[1]{ey});
newbuffer(x => [1], y => [2], ex => [3], ey => [4]);
$var{gain} = 5; $var{fresh} = 1.5; $svar{unit} = "$svar{unit}!";
</perl>)");
  EXPECT_EQ(console, "seen 3plain 2enewerrors\n");
  ASSERT_EQ(doc.bufferCount(), 6);
  const DataBuffer& c1 = *doc.buffer(2);
  EXPECT_EQ(c1.X, (std::vector<double>{0, 1, 2}));
  EXPECT_EQ(c1.Y, (std::vector<double>{20, 40, 60}));
  EXPECT_EQ(c1.getSource(), "perl import");
  EXPECT_EQ(c1.getComment(), "");
  EXPECT_EQ(doc.buffer(3)->getComment(), "two");
  EXPECT_EQ(doc.buffer(3)->getSource(), "mine");
  EXPECT_EQ(doc.buffer(4)->EY, (std::vector<double>{0, 0.5}));
  EXPECT_EQ(doc.buffer(4)->EX, (std::vector<double>{0, 0}));
  EXPECT_EQ(doc.buffer(5)->EX, (std::vector<double>{3}));
  EXPECT_EQ(m.GV["gain"], 5);
  EXPECT_EQ(m.GV["fresh"], 1.5);
  EXPECT_EQ(m.SV["unit"], "eV!");
  EXPECT_EQ(tempDirs(), before);
}

// Columns are unpacked when first touched (or never, through packed and piddle) and packed straight from the input when
// handed back untouched; every way of touching them must behave as on a plain array,
// with the compiled helper and with the pure-Perl fallback alike.
TEST_F(PerlBridge, LazyColumnsBehaveAsArraysWithAndWithoutTheCompiledHelper) {
  const std::string filter = R"(perlfilter 0,1
<perl>
my ($p, $e) = @buffers;
my @seen = (scalar(@{$p->{x}}), $#{$p->{y}}, $p->{y}[-1], "@{$e->{ey}}", scalar(@{$p->{ex}}));
push @{$p->{y}}, 99;
$p->{y}[0] = -1;
my @x = @{$p->{x}}; push @x, 4;
splice(@{$p->{x}}, 0, 1, 7, 8);
print "@seen | @{$p->{y}} | @{$p->{x}} | ", ($Xyla::Bridge::COMPILED ? 'compiled' : 'pure'), "\n";
newbuffer(x => \@x, y => $p->{y});
newbuffer(x => $p->{x}, y => [1, 2, 3, 4], ey => [0, 0, 0, 0.25]);
newbuffer(x => $e->{x}, y => $e->{y}, ex => $e->{ex}, ey => $e->{ey});
newbuffer(x => \packed($e, 'x'), y => piddle($e, 'ey') * 2 + 1);
newbuffer(y => piddle($p, 'y'));
</perl>)";
  for (const char* pure : {"", "1"}) {
    SCOPED_TRACE(*pure ? "pure Perl" : "compiled helper");
    setenv("XYLA_PERL_PURE", pure, 1);
    const std::string console = run(filter);
    EXPECT_EQ(console, std::string("3 2 30 0 0.5 0 | -1 20 30 99 | 7 8 2 3 | ") + (*pure ? "pure\n" : "compiled\n"));
    ASSERT_EQ(doc.bufferCount(), 7) << console;
    EXPECT_EQ(doc.buffer(2)->X, (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(doc.buffer(2)->Y, (std::vector<double>{-1, 20, 30, 99}));
    EXPECT_EQ(doc.buffer(3)->X, (std::vector<double>{7, 8, 2, 3}));
    EXPECT_EQ(doc.buffer(3)->EY, (std::vector<double>{0, 0, 0, 0.25}));
    // Untouched columns of a buffer with errors come back as they went.
    EXPECT_EQ(doc.buffer(4)->X, (std::vector<double>{4, 5}));
    EXPECT_EQ(doc.buffer(4)->EX, (std::vector<double>{0, 0}));
    EXPECT_EQ(doc.buffer(4)->EY, (std::vector<double>{0, 0.5}));
    // Packed doubles and PDLs, from untouched and from changed columns.
    EXPECT_EQ(doc.buffer(5)->X, (std::vector<double>{4, 5}));
    EXPECT_EQ(doc.buffer(5)->Y, (std::vector<double>{1, 2}));
    EXPECT_EQ(doc.buffer(6)->Y, (std::vector<double>{-1, 20, 30, 99}));
    doc.DB.resize(2);
    // An untouched column of another length than Y refuses the whole result.
    const std::string refused =
        run("perlfilter 0\n<perl>\nnewbuffer(y => [1]);\nnewbuffer(x => $buffers[0]{x}, y => [5, 6]);\n</perl>");
    EXPECT_NE(refused.find("columns of different lengths"), std::string::npos) << refused;
    EXPECT_EQ(doc.bufferCount(), 2);
  }
  unsetenv("XYLA_PERL_PURE");
}

TEST_F(PerlBridge, ImportReadsAFileAndStoredMacrosRunByName) {
  const std::string file = settings.path("scan.vnd");
  writeFile(file, "VENDOR SCAN\nstart=280 step=0.5\ncounts 5 7 9\n");
  mc.store().MA.push_back(std::make_unique<Macro>("vendor", R"(
open(my $f, '<', $file) or die "cannot open $file: $!\n";
my ($start, $step, @y);
while (<$f>) {
  ($start, $step) = ($1, $2) if /start=(\S+) step=(\S+)/;
  @y = split ' ', $1 if /^counts (.*)/;
}
newbuffer(x => [map { $start + $_ * $step } 0 .. $#y], y => \@y, source => $file);
)", 0, 1));
  mc.store().MA.push_back(std::make_unique<Macro>("VENDOR", "print 'a plain macro is no import';", 0, 0));
  run("perlimport '" + file + "' Vendor");
  ASSERT_EQ(doc.bufferCount(), 3);
  EXPECT_EQ(doc.buffer(2)->X, (std::vector<double>{280, 280.5, 281}));
  EXPECT_EQ(doc.buffer(2)->Y, (std::vector<double>{5, 7, 9}));
  EXPECT_EQ(doc.buffer(2)->getSource(), file);
}

TEST_F(PerlBridge, FailingScriptShowsStatusAndOutputAndChangesNothing) {
  const std::string console = run("perlfilter all\n<perl>\nprint \"partial\\n\";\n$! = 2; die \"no luck\\n\";\n</perl>");
  EXPECT_EQ(console, "exit code: 2\npartial\nno luck\n ");
  EXPECT_EQ(doc.bufferCount(), 2);
  const std::string syntax = run("perlfilter all\n<perl>\nmy $x = ;\n</perl>");
  EXPECT_EQ(syntax.rfind("exit code: 255\nsyntax error at inline line 1", 0), 0u) << syntax;
}

TEST_F(PerlBridge, EndlessScriptIsStoppedByTheTimeLimit) {
  const auto before = tempDirs();
  outside::setBatchTimeLimit(0.5);
  const std::string console = run("perlfilter 0\n<perl>\n1 while 1;\n</perl>");
  outside::setBatchTimeLimit(0);
  EXPECT_EQ(console, "perl: stopped after the time limit\n");
  EXPECT_EQ(doc.bufferCount(), 2);
  EXPECT_EQ(tempDirs(), before);
}

// A script that prints without end fills neither the disk nor the memory: the console
// shows the start and the end of what it printed and the folder of the run is removed.
TEST_F(PerlBridge, AnEndlessLogKeepsItsStartAndEnd) {
  const auto before = tempDirs();
  const std::string console =
      run("perlfilter 0\n<perl>\nprint \"line $_\\n\" for 1 .. 500000;\nwarn \"last words\\n\";\n"
          "newbuffer(y => [7]);\n</perl>");
  EXPECT_EQ(console.rfind("line 1\nline 2\n", 0), 0u);
  EXPECT_NE(console.find(" characters of output left out ...]\n"), std::string::npos);
  EXPECT_NE(console.find("line 500000\nlast words\n"), std::string::npos);
  EXPECT_LT(console.size(), std::size_t(3) << 20);
  EXPECT_EQ(doc.bufferCount(), 3);
  EXPECT_EQ(tempDirs(), before);
}

TEST_F(PerlBridge, ResultReaderRefusesLiesAndShowsTheLog) {
  const std::string log = settings.path("run.log");
  writeFile(log, "from the log\n");
  std::string bad(4, '\x7f');
  macro.M = &m;
  macro.MC = &mc;
  macro.PD = &doc;
  macro.parsePerlResult(0, bad, "", log);
  EXPECT_EQ(doc.bufferCount(), 2);
  EXPECT_NE(mc.console().find("refused"), std::string::npos);
  EXPECT_NE(mc.console().find("from the log\n"), std::string::npos);
}

}  // namespace
}  // namespace xyla::test
