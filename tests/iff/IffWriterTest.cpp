#include "iff/IffWriter.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>

#include "iff/IffReader.h"
#include "iff/crc32.h"
#include "runtime/FileLayer.h"
#include "tests/iff/IffBytes.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/TempDir.h"

namespace {

class IffWriterTest : public ::testing::TestWithParam<TWriterMode> {
protected:
  TempDir Dir;
  std::string FileName = Dir.File("out.iff");
};

TEST_P(IffWriterTest, NestedFormsGetBackPatchedSizes) {
  TIffWriter Writer(FileName, GetParam());
  EXPECT_EQ(Writer.OpenForm(TIffTag("OUTR")), 0);
  EXPECT_EQ(Writer.OpenForm(TIffTag("INNR")), 12);
  EXPECT_EQ(Writer.OpenChunk(TIffTag("DATA")), 24);
  const TBytes Sixteen(16, 0x11);
  EXPECT_EQ(Writer.Write(Sixteen.data(), 16), 16);
  EXPECT_EQ(Writer.CloseChunk(), 48);
  EXPECT_EQ(Writer.CloseForm(), 48);
  EXPECT_EQ(Writer.CloseForm(), 48);
  Writer.Destroy();
  // inner = 4 + 8 + 16 = 28; outer = 4 + the inner form whole (8 + 28) = 40; file 48 bytes
  EXPECT_EQ(ReadFileBytes(FileName),
            Header("FORM", 40) + Text("OUTR") + Header("FORM", 28) + Text("INNR") + Header("DATA", 16) + Sixteen);
}

TEST_P(IffWriterTest, EmptyItemsOddChunksAndLooseBytes) {
  TIffWriter Writer(FileName, GetParam());
  Writer.OpenForm(TIffTag("ROOT"));
  Writer.OpenForm(TIffTag("NONE"));
  Writer.CloseForm();
  Writer.OpenChunk(TIffTag("ZERO"));
  Writer.CloseChunk();
  Writer.OpenChunk(TIffTag("ODD3"));
  Writer.Write("abc", 3);
  EXPECT_EQ(Writer.CloseChunk(), 12 + 12 + 8 + 12);  // the pad is written
  Writer.Write("xy", 2);                             // between the children, counted by the form
  Writer.CloseForm();
  Writer.Destroy();
  EXPECT_EQ(ReadFileBytes(FileName), Header("FORM", 4 + 12 + 8 + 12 + 2) + Text("ROOT") + Header("FORM", 4) +
                                         Text("NONE") + Header("ZERO", 0) + Header("ODD3", 3) + Text("abc") +
                                         TBytes{0} + Text("xy"));
}

TEST_P(IffWriterTest, TypedWritesAreLittleEndian) {
  TIffWriter Writer(FileName, GetParam());
  Writer.OpenForm(0x4853454D);  // 'M' 'E' 'S' 'H' low byte first
  Writer.OpenChunk(TIffTag("TYPE"));
  EXPECT_EQ(Writer.WriteInteger(0x01020304), 4);
  EXPECT_EQ(Writer.WriteSingle(1.0f), 4);
  EXPECT_EQ(Writer.WriteString(""), 1);
  EXPECT_EQ(Writer.WriteString("ab"), 3);
  EXPECT_EQ(Writer.WriteStringCRC(""), 4);
  EXPECT_EQ(Writer.WriteStringCRC("abc"), 4);
  Writer.CloseChunk();
  Writer.CloseForm();
  Writer.Destroy();
  const TBytes Data = {4, 3, 2, 1, 0x00, 0x00, 0x80, 0x3F, 0, 'a', 'b', 0, 0, 0, 0, 0, 0xD0, 0x98, 0x65, 0xCA};
  EXPECT_EQ(ReadFileBytes(FileName), Form("MESH", Chunk("TYPE", Data)));
}

TEST_P(IffWriterTest, RefusedCallsGiveTheirMessagesAndWriteNothing) {
  TIffWriter Writer(FileName, GetParam());
  EXPECT_EQ(MessageOf<EIffWriter>([&] { Writer.OpenChunk(TIffTag("CHNK")); }),
            "TIffWriter.OpenChunk (CHNK): Chunk outside form!");
  EXPECT_EQ(MessageOf<EIffWriter>([&] { Writer.CloseChunk(); }), "TIffWriter.CloseChunk: No open chunk!");
  EXPECT_EQ(MessageOf<EIffWriter>([&] { Writer.CloseForm(); }), "TIffWriter.CloseForm: No open form!");
  EXPECT_EQ(MessageOf<EIffWriter>([&] { Writer.Write("a", 1); }), "TIffWriter.Write: No open form!");
  EXPECT_EQ(Writer.GetPosition(), 0);
  Writer.OpenForm(TIffTag("ROOT"));
  Writer.OpenChunk(TIffTag("OPEN"));
  EXPECT_EQ(MessageOf<EIffWriter>([&] { Writer.OpenChunk(TIffTag("AB\0D")); }),
            "TIffWriter.OpenChunk (AB): Chunk inside chunk!");
  EXPECT_EQ(MessageOf<EIffWriter>([&] { Writer.OpenForm(TIffTag("FRM2")); }),
            "TIffWriter.OpenForm (FRM2): Form inside chunk!");
  EXPECT_EQ(MessageOf<EIffWriter>([&] { Writer.WriteStringCRC(std::string(256, 'x')); }),
            "TBasicWriter.WriteStringCRC: String of 256 characters is longer than 255!");
  EXPECT_EQ(Writer.GetPosition(), 20);
  EXPECT_EQ(Writer.WriteStringCRC(std::string(255, 'x')), 4);
  Writer.CloseChunk();
  EXPECT_EQ(MessageOf<EIffWriter>([&] { Writer.Destroy(); }), "TIffWriter.Destroy: Form ROOT still open!");
  Writer.CloseForm();
  Writer.Destroy();
  EXPECT_EQ(ReadFileBytes(FileName).size(), 24u);  // header, chunk header, one checksum
  EXPECT_EQ(MessageOf<EIffWriter>([&] { Writer.OpenForm(TIffTag("LATE")); }),
            "TIffWriter: " + FileName + " is already closed!");
}

TEST_P(IffWriterTest, OutputReadsBackThroughTheReader) {
  {
    TIffWriter Writer(FileName, GetParam());
    Writer.OpenForm(TIffTag("ROOT"));
    Writer.OpenChunk(TIffTag("NAME"));
    Writer.WriteString("hardpoint");
    Writer.CloseChunk();
    Writer.OpenForm(TIffTag("MESH"));
    Writer.OpenChunk(TIffTag("VERT"));
    for (int I = 0; I < 3; ++I) Writer.WriteSingle(float(I) + 0.5f);
    Writer.CloseChunk();
    Writer.CloseForm();
    Writer.CloseForm();
    Writer.Destroy();
  }
  TIffReader Reader(FileName);
  Reader.OpenChunk(TIffTag("NAME"));
  std::string Name;
  EXPECT_EQ(Reader.ReadString(Name), 9);
  EXPECT_EQ(Name, "hardpoint");
  Reader.CloseChunk();
  Reader.OpenForm(TIffTag("MESH"));
  Reader.OpenChunk(TIffTag("VERT"));
  float Values[3];
  EXPECT_EQ(Reader.Read(Values, 12), 12);
  EXPECT_EQ(Values[2], 2.5f);
}

TEST_P(IffWriterTest, DestroyRefusedWithAnOpenFormSavesNothing) {
  {
    TIffWriter Writer(FileName, GetParam());
    Writer.OpenForm(TIffTag("ROOT"));
    Writer.OpenChunk(TIffTag("DATA"));
    Writer.WriteInteger(7);
    Writer.CloseChunk();
    EXPECT_ANY_THROW(Writer.Destroy());
  }
  if (GetParam() == wmMemory)
    EXPECT_FALSE(FileExists(FileName));
  else  // the root keeps its placeholder size
    EXPECT_EQ(ReadFileBytes(FileName), Header("FORM", 0x04000000) + Text("ROOT") + Chunk("DATA", TBytes{7, 0, 0, 0}));
}

TEST_P(IffWriterTest, AbortDeletesTheFileOfThatName) {
  WriteFileBytes(FileName, Text("older file"));
  TIffWriter Writer(FileName, GetParam());
  Writer.OpenForm(TIffTag("ROOT"));
  Writer.Abort();
  EXPECT_FALSE(FileExists(FileName));
}

TEST_P(IffWriterTest, FilesThatCannotBeCreatedFailWithTheFileLayerMessage) {
  const std::string Nowhere = Dir.File("no/such/folder.iff");
  EXPECT_EQ(MessageOf<EFCreateError>([&] {
              TIffWriter Writer(Nowhere, GetParam());
              Writer.OpenForm(TIffTag("ROOT"));
              Writer.CloseForm();
              Writer.Destroy();
            }),
            "Cannot create file " + Nowhere);
}

TEST_P(IffWriterTest, CompressedBlocksAreCompleteZlibStreams) {
  TBytes Plain(5000);
  for (size_t I = 0; I < Plain.size(); ++I) Plain[I] = uint8_t(I % 13);
  TIffWriter Writer(FileName, GetParam());
  Writer.OpenForm(TIffTag("ROOT"));
  Writer.OpenChunk(TIffTag("ZLIB"));
  const int32_t Packed = Writer.WriteCompressed(Plain.data(), int32_t(Plain.size()));
  Writer.CloseChunk();
  Writer.CloseForm();
  Writer.Destroy();
  const TBytes File = ReadFileBytes(FileName);
  ASSERT_GT(File.size(), 20u);
  EXPECT_EQ(File[20], 0x78);  // zlib header, default level
  EXPECT_EQ(File[21], 0x9C);
  TBytes Unpacked(Plain.size());
  uLongf Length = Unpacked.size();
  ASSERT_EQ(uncompress(Unpacked.data(), &Length, File.data() + 20, uLong(Packed)), Z_OK);
  EXPECT_EQ(Length, Plain.size());
  EXPECT_EQ(Unpacked, Plain);
}

INSTANTIATE_TEST_SUITE_P(BothModes, IffWriterTest, ::testing::Values(wmMemory, wmFile),
                         [](const auto& Info) { return Info.param == wmMemory ? "Memory" : "File"; });

TEST(IffWriterModes, MemoryReachesTheDiskOnlyAtDestroyAndFileAtOnce) {
  TempDir Dir;
  const std::string InMemory = Dir.File("memory.iff"), OnDisk = Dir.File("file.iff");
  TIffWriter Memory(InMemory, wmMemory);
  TIffWriter File(OnDisk, wmFile);
  for (TIffWriter* Writer : {&Memory, &File}) Writer->OpenForm(TIffTag("ROOT"));
  EXPECT_FALSE(FileExists(InMemory));
  EXPECT_EQ(ReadFileBytes(OnDisk), Header("FORM", 0x04000000) + Text("ROOT"));
  for (TIffWriter* Writer : {&Memory, &File}) Writer->CloseForm();
  Memory.Destroy();
  EXPECT_EQ(ReadFileBytes(InMemory), Form("ROOT"));
}

TEST(IffWriterModes, SeveralTopLevelFormsAreWrittenButTheReaderRefusesThem) {
  TempDir Dir;
  const std::string FileName = Dir.File("two.iff");
  TIffWriter Writer(FileName, wmFile);
  for (const char* Type : {"ONE ", "TWO "}) {
    Writer.OpenForm(TIffTag::FromBytes(Type));
    Writer.CloseForm();
  }
  Writer.Destroy();
  EXPECT_EQ(MessageOf<EIffReader>([&] { TIffReader Reader(FileName); }),
            "TIffReader: " + FileName + ", error at offset 0000000C!");
}

// A file writer inside its root form, on a disk the tests make fail.
class IffWriterDisk : public ::testing::Test {
protected:
  void SetUp() override { Writer.OpenForm(TIffTag("ROOT")); }
  TempDir Dir;
  const std::string FileName = Dir.File("disk.iff");
  TIffWriter Writer{FileName, wmFile};
};

TEST_F(IffWriterDisk, ShortAndFailedWritesRaise) {
  Writer.OpenChunk(TIffTag("DATA"));
  TFileCallsGuard Guard;
  FileCalls().pwrite = [](int Handle, const void* Buffer, unsigned long Count, long Offset) -> long {
    static int Calls = 0;
    if (++Calls > 1) return 0;  // the disk is full after the first call
    return ::pwrite(Handle, Buffer, Count / 2, Offset);
  };
  EXPECT_EQ(MessageOf<EIffWriter>([&] { Writer.Write("abcdefgh", 8); }),
            "TIffWriter.Write: Only 4 of 8 bytes could be written to " + FileName + "!");
  FileCalls().pwrite = [](int, const void*, unsigned long, long) -> long {
    errno = ENOSPC;
    return -1;
  };
  EXPECT_EQ(MessageOf<EInOutError>([&] { Writer.Write("ab", 2); }),
            "Cannot write file " + FileName + ": No space left on device");
  ResetFileCalls();
  // The four bytes that did land are counted: the sizes describe the file.
  Writer.CloseChunk();
  Writer.CloseForm();
  Writer.Destroy();
  EXPECT_EQ(ReadFileBytes(FileName), Form("ROOT", Chunk("DATA", Text("abcd"))));
}

TEST_F(IffWriterDisk, AFileMayNotGrowPastTheLastOffsetTheFormatCanName) {
  Writer.OpenChunk(TIffTag("HUGE"));
  // A gibibyte that is never touched: the disk pretends to take it all.
  const size_t Gibibyte = size_t(1) << 30;
  void* Block = ::mmap(nullptr, Gibibyte, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(Block, MAP_FAILED);
  TFileCallsGuard Guard;
  FileCalls().pwrite = [](int, const void*, unsigned long Count, long) -> long { return long(Count); };
  EXPECT_EQ(Writer.Write(Block, int32_t(Gibibyte)), int32_t(Gibibyte));
  EXPECT_EQ(MessageOf<EIffWriter>([&] { Writer.Write(Block, int32_t(Gibibyte)); }),
            "TIffWriter: " + FileName + " would grow beyond 2147483647 bytes!");
  EXPECT_EQ(Writer.GetPosition(), int32_t(20 + Gibibyte));
  ::munmap(Block, Gibibyte);
}

TEST(StringChecksum, MatchesTheReflectedTableWithoutInversions) {
  EXPECT_EQ(Crc32Table[1], 0x77073096u);
  EXPECT_EQ(Crc32Table[255], 0x2D02EF8Du);
  EXPECT_EQ(StringCRC(""), 0u);
  EXPECT_EQ(StringCRC("abc"), 0xCA6598D0u);
  EXPECT_EQ(StringCRC("123456789"), 0x2DFD2D88u);
}

}  // namespace
