#include <gtest/gtest.h>

#include "app/buffer_table.h"
#include "app/command_line.h"
#include "model/xyla_document.h"

using xyla::parseCommandLine;

TEST(CommandLine, OptionsIgnoreCaseAndTakeTheNextArgument) {
  const auto cl = parseCommandLine({"-I", "data.txt", "stray", "-M", "job.mac", "-f", "-q", "-Q", "--LIST"});
  EXPECT_EQ(cl.importFile, "data.txt");
  EXPECT_EQ(cl.macroFile, "job.mac");
  EXPECT_EQ(cl.fileName, "-q");  // "-f" takes whatever follows
  EXPECT_TRUE(cl.quit);
  EXPECT_TRUE(cl.list);
  const auto dangling = parseCommandLine({"-i"});
  EXPECT_EQ(dangling.importFile, "");
  EXPECT_FALSE(parseCommandLine({"-iq", "x"}).quit);
  const auto batch = parseCommandLine({"a.txt", "--FIT-BATCH", "model.mac", "b.txt", "-o", "r.csv"});
  EXPECT_EQ(batch.fitBatch, "model.mac");
  EXPECT_EQ(batch.output, "r.csv");
  EXPECT_EQ(batch.documents, (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(parseCommandLine({"--fit-batch"}).errors, std::vector<std::string>{"--fit-batch needs a value"});
}

TEST(CommandLine, BufferTableListsBuffersAndRanges) {
  xyla::XylaDocument doc;
  auto& b = doc.newBuffer();
  b.addDoubleValue(1, 2);
  b.belongy = 2;
  b.source = "file.txt";
  doc.scale(2, -1, 1, 0.5, 2.5, false, false);
  EXPECT_EQ(xyla::bufferTable(doc),
            "index\tbelongx\tbelongy\tpoints\tsource\tcomment\n"
            "0\t1\t2\t1\tfile.txt\tnew\n"
            "range 1\tx 0 .. 1\ty 0 .. 1\n"
            "range 2\tx -1 .. 1\ty 0.5 .. 2.5\n");
}
