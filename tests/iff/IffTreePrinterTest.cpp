#include "iff/IffTreePrinter.h"

#include <gtest/gtest.h>

#include <sstream>

#include "iff/IffReader.h"
#include "tests/iff/IffBytes.h"
#include "tests/support/TempDir.h"

namespace {

class IffTreePrinterTest : public ::testing::Test {
protected:
  std::string Print(const TBytes& Bytes) {
    const std::string FileName = Dir.File("tree.iff");
    WriteFileBytes(FileName, Bytes);
    TIffReader Reader(FileName, /*ReadOnly=*/true);
    std::ostringstream Out;
    PrintIffTree(Reader, Out);
    return Out.str();
  }
  TempDir Dir;
};

TEST_F(IffTreePrinterTest, PrintsOneLinePerNodeIndentedByDepth) {
  EXPECT_EQ(Print(Form("DETA", Chunk("INFO", 3))), "FORM DETA 0 16\n  CHUNK INFO 12 4\n");
}

TEST_F(IffTreePrinterTest, InterleavesChunksAndFormsInFileOrder) {
  const TBytes File = Form("ROOT", Chunk("HEAD", 2) + Form("LOD1", Chunk("VERT", 12) + Form("DEEP")) +
                                       Chunk("MIDL", 0) + Form("LOD2") + Chunk("TAIL", 1));
  EXPECT_EQ(Print(File),
            "FORM ROOT 0 88\n"
            "  CHUNK HEAD 12 2\n"
            "  FORM LOD1 22 36\n"
            "    CHUNK VERT 34 12\n"
            "    FORM DEEP 54 4\n"
            "  CHUNK MIDL 66 0\n"
            "  FORM LOD2 74 4\n"
            "  CHUNK TAIL 86 2\n");
}

TEST_F(IffTreePrinterTest, EscapesTagBytesOutsidePrintableAscii) {
  EXPECT_EQ(EscapedTag(TIffTag::FromBytes("\x00\x1F\x7F\xAB")), "\\x00\\x1F\\x7F\\xAB");
  EXPECT_EQ(EscapedTag(TIffTag("a ~Z")), "a ~Z");
  EXPECT_EQ(Print(Form(std::string("R\0\xFF\n", 4), Chunk("\\x01", 0))),
            "FORM R\\x00\\xFF\\x0A 0 12\n  CHUNK \\x01 12 0\n");
}

TEST_F(IffTreePrinterTest, ARootChunkPrintsAsAChunk) { EXPECT_EQ(Print(Chunk("ONLY", 5)), "CHUNK ONLY 0 6\n"); }

// Counts what it is given and keeps none of it.
class TCountingBuffer : public std::streambuf {
public:
  size_t Bytes = 0, Lines = 0;
  std::string LastLine, Current;

protected:
  int_type overflow(int_type C) override {
    if (C != traits_type::eof()) Take(char(C));
    return C;
  }
  std::streamsize xsputn(const char* S, std::streamsize N) override {
    std::streamsize I = 0;
    if (Current.empty())
      while (I < N && S[I] == ' ') ++I;  // an indent
    Bytes += size_t(I);
    for (; I < N; ++I) Take(S[I]);
    return N;
  }

private:
  void Take(char C) {
    ++Bytes;
    if (C == '\n') {
      ++Lines;
      LastLine = std::move(Current);
      Current.clear();
    } else if (C != ' ') {
      Current.push_back(C);  // spaces of the indent are only counted
    } else if (!Current.empty()) {
      Current.push_back(C);
    }
  }
};

TEST_F(IffTreePrinterTest, DeepNestingPrintsWithoutRecursion) {
  const size_t Depth = 10000;
  const std::string FileName = Dir.File("deep.iff");
  WriteFileBytes(FileName, NestedForms(Depth));
  TIffReader Reader(FileName, true);
  TCountingBuffer Buffer;
  RunWithSmallStack(64 * 1024, [&] {
    std::ostream Out(&Buffer);
    PrintIffTree(Reader, Out);
  });
  EXPECT_EQ(Buffer.Lines, Depth);
  EXPECT_EQ(Buffer.LastLine, "FORM NEST " + std::to_string(12 * (Depth - 1)) + " 4");
  // indents of 0, 2, ... 2 (Depth - 1) spaces
  size_t Text = 0;
  for (size_t I = 0; I < Depth; ++I) {
    const int32_t Size = int32_t(4 + 12 * (Depth - 1 - I));
    Text += std::string("FORM NEST " + std::to_string(12 * I) + " " + std::to_string(Size) + "\n").size();
  }
  EXPECT_EQ(Buffer.Bytes, Text + Depth * (Depth - 1));
}

}  // namespace
