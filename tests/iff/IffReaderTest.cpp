#include "iff/IffReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "iff/ScanSlots.h"
#include "runtime/FileLayer.h"
#include "tests/iff/IffBytes.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/TempDir.h"

namespace {

class IffReaderTest : public ::testing::Test {
protected:
  std::string Fixture(const TBytes& Bytes, const std::string& Name = "model.iff") {
    const std::string FileName = Dir.File(Name);
    WriteFileBytes(FileName, Bytes);
    return FileName;
  }
  // The message of the EIffReader-family error opening Bytes raises.
  template <class TError>
  std::string OpenError(const TBytes& Bytes) {
    return MessageOf<TError>([&] { TIffReader Reader(Fixture(Bytes)); });
  }
  TempDir Dir;
};

// FORM ROOT { INFO(3) FORM MESH { VERT(12) FACE(0) } NAME(1) }
TBytes SampleFile() {
  return Form("ROOT", Chunk("INFO", 3) + Form("MESH", Chunk("VERT", 12) + Chunk("FACE", 0)) + Chunk("NAME", 1));
}

TEST_F(IffReaderTest, IndexesFormsAndChunksWithOffsetsSizesAndParents) {
  TIffReader Reader(Fixture(SampleFile()));
  const TForm* Root = Reader.Root();
  EXPECT_EQ(Root->Tag, TIffTag("ROOT"));
  EXPECT_EQ(Root->Offset, 0);
  EXPECT_EQ(Root->Size, 4 + 12 + 12 + 20 + 8 + 10);
  EXPECT_EQ(Root->Parent, nullptr);
  ASSERT_EQ(Root->Chunks.size(), 2u);
  ASSERT_EQ(Root->Forms.size(), 1u);
  EXPECT_EQ(Root->Chunks[0].Tag, TIffTag("INFO"));
  EXPECT_EQ(Root->Chunks[0].Offset, 12);
  EXPECT_EQ(Root->Chunks[0].Size, 4);  // 3 rounded up to even
  EXPECT_EQ(Root->Chunks[1].Tag, TIffTag("NAME"));
  EXPECT_EQ(Root->Chunks[1].Offset, 12 + 12 + 40);
  EXPECT_EQ(Root->Chunks[1].Parent, Root);
  const TForm* Mesh = Root->Forms[0].get();
  EXPECT_EQ(Mesh->Tag, TIffTag("MESH"));
  EXPECT_EQ(Mesh->Offset, 24);
  EXPECT_EQ(Mesh->Size, 32);
  EXPECT_EQ(Mesh->Parent, Root);
  ASSERT_EQ(Mesh->Chunks.size(), 2u);
  EXPECT_EQ(Mesh->Chunks[0].Offset, 36);
  EXPECT_EQ(Mesh->Chunks[1].Tag, TIffTag("FACE"));  // size 0, last child: still inside MESH
  EXPECT_EQ(Mesh->Chunks[1].Offset, 56);
  EXPECT_EQ(Mesh->Chunks[1].Parent, Mesh);
  EXPECT_EQ(Reader.CurrentForm(), Root);
  EXPECT_EQ(Reader.OpenChunkItem(), nullptr);
  EXPECT_FALSE(Reader.RootIsChunk());
}

TEST_F(IffReaderTest, NavigatesByTagAndIndex) {
  TIffReader Reader(Fixture(SampleFile()));
  EXPECT_EQ(Reader.FormCount(), 1);
  EXPECT_EQ(Reader.ChunkCount(), 2);
  EXPECT_TRUE(Reader.FormExists(TIffTag("MESH")));
  EXPECT_FALSE(Reader.FormExists(TIffTag("mesh")));  // tags are case-sensitive
  EXPECT_EQ(Reader.GetForm(0)->Tag, TIffTag("MESH"));
  Reader.OpenForm(TIffTag("MESH"));
  EXPECT_EQ(Reader.CurrentTag(), TIffTag("MESH"));
  EXPECT_EQ(Reader.CurrentSize(), 32);
  Reader.OpenChunkByIndex(1);
  EXPECT_EQ(Reader.CurrentTag(), TIffTag("FACE"));
  EXPECT_EQ(Reader.CurrentSize(), 0);
  EXPECT_EQ(Reader.Position(), 8);
  Reader.CloseChunk();
  Reader.CloseForm();
  EXPECT_EQ(Reader.CurrentTag(), TIffTag("ROOT"));
}

TEST_F(IffReaderTest, OddChunkReadsItsPadByteAndNothingBeyond) {
  TBytes Data(13);
  for (size_t I = 0; I < Data.size(); ++I) Data[I] = uint8_t(I + 1);
  TIffReader Reader(Fixture(Form("ROOT", Chunk("ODDS", Data) + Chunk("NEXT", 2))));
  EXPECT_EQ(Reader.Root()->Chunks[1].Offset, 12 + 8 + 14);
  Reader.OpenChunk(TIffTag("ODDS"));
  EXPECT_EQ(Reader.CurrentSize(), 14);
  uint8_t Byte = 0xFF;
  for (int I = 0; I < 14; ++I) ASSERT_EQ(Reader.Read(&Byte, 1), 1);
  EXPECT_EQ(Byte, 0);  // the pad
  EXPECT_EQ(Reader.Position(), 8 + 14);
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.Read(&Byte, 1); }), "TIffReader: Read beyond end of chunk!");
  EXPECT_EQ(Reader.Position(), 8 + 14);  // a refused read moves nothing
  Reader.OpenChunk(TIffTag("ODDS"));     // opening again returns to the start
  EXPECT_EQ(Reader.Read(&Byte, 1), 1);
  EXPECT_EQ(Byte, 1);
}

TEST_F(IffReaderTest, LookUpTakesTheFirstOfEqualTagsAndIndexReachesAll) {
  TIffReader Reader(Fixture(Form(
      "ROOT", Chunk("SAME", Text("ab")) + Chunk("SAME", Text("cd")) + Form("TWIN") + Form("TWIN", Chunk("MARK", 0)))));
  char Two[2];
  Reader.OpenChunk(TIffTag("SAME"));
  Reader.Read(Two, 2);
  EXPECT_EQ(std::string(Two, 2), "ab");
  Reader.CloseChunk();
  Reader.OpenChunkByIndex(1);
  Reader.Read(Two, 2);
  EXPECT_EQ(std::string(Two, 2), "cd");
  Reader.CloseChunk();
  Reader.OpenForm(TIffTag("TWIN"));
  EXPECT_EQ(Reader.ChunkCount(), 0);  // the empty first one, size 4
  EXPECT_EQ(Reader.CurrentSize(), 4);
  Reader.CloseForm();
  EXPECT_EQ(Reader.GetForm(1)->Chunks.size(), 1u);

  // The same among a hundred sub-forms, where the reader keeps a table.
  TBytes Many;
  for (int I = 0; I < 100; ++I) {
    const TBytes One = I == 40 || I == 70 ? Form("TWIN", Chunk("MARK", size_t(I))) : Form("PADS");
    Many.insert(Many.end(), One.begin(), One.end());
  }
  TIffReader Wide(Fixture(Form("ROOT", Many), "wide.iff"));
  EXPECT_FALSE(Wide.FormExists(TIffTag("NONE")));
  for (int Twice = 0; Twice < 2; ++Twice) {
    Wide.OpenForm(TIffTag("TWIN"));
    EXPECT_EQ(Wide.CurrentForm(), Wide.Root()->Forms[40].get());
    Wide.CloseForm();
  }
  EXPECT_TRUE(Wide.FormExists(TIffTag("PADS")));
}

TEST_F(IffReaderTest, OpenChunkReplacesAnOpenChunkButOpenChunkByIndexRefuses) {
  TIffReader Reader(Fixture(SampleFile()));
  Reader.OpenChunk(TIffTag("INFO"));
  Reader.OpenChunk(TIffTag("NAME"));
  EXPECT_EQ(Reader.CurrentTag(), TIffTag("NAME"));
  EXPECT_EQ(Reader.Position(), 8);
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.OpenChunkByIndex(0); }),
            "TIffReader: Attempt to open new chunk, but chunk NAME is still open!");
  EXPECT_EQ(Reader.CurrentTag(), TIffTag("NAME"));
}

TEST_F(IffReaderTest, FormQueriesWhileAChunkIsOpen) {
  TIffReader Reader(Fixture(SampleFile()));
  Reader.OpenChunk(TIffTag("INFO"));
  EXPECT_TRUE(Reader.FormExists(TIffTag("MESH")));
  EXPECT_EQ(Reader.GetForm(0)->Tag, TIffTag("MESH"));
  EXPECT_EQ(Reader.CurrentSize(), 4);
  for (auto Count : {&TIffReader::FormCount, &TIffReader::ChunkCount}) {
    EXPECT_EQ(MessageOf<EIffReader>([&] { (Reader.*Count)(); }),
              "TIffReader: Must close chunk before reading parent form!");
  }
}

TEST_F(IffReaderTest, RefusedOperationsGiveTheirMessages) {
  TIffReader Reader(Fixture(SampleFile()));
  uint8_t Byte;
  std::string S;
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.OpenChunk(TIffTag("NONE")); }),
            "TIffReader[Form: ROOT]: Chunk (NONE) doesn't exist!");
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.OpenChunkByIndex(2); }), "TIffReader: Chunk (index = 2) doesn't exist!");
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.OpenChunkByIndex(-1); }),
            "TIffReader: Chunk (index = -1) doesn't exist!");
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.GetForm(1); }), "TIffReader: Form (index = 1) doesn't exist!");
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.GetForm(-1); }), "TIffReader: Form (index = -1) doesn't exist!");
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.CloseChunk(); }), "TIffReader: No chunk is open!");
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.OpenForm(TIffTag("NONE")); }), "TIffReader: Form (NONE) doesn't exist!");
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.CloseForm(); }), "TIffReader: Cannot close last form!");
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.Read(&Byte, 1); }), "TIffReader: Must open chunk before reading!");
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.ReadString(S); }), "TIffReader: Must open chunk before reading!");
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.Write(&Byte, 1); }), "TIffReader: Must open chunk before writing!");
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.Position(); }), "TIffReader: Must open chunk before seeking!");
  EXPECT_EQ(Reader.CurrentForm(), Reader.Root());

  Reader.OpenChunk(TIffTag("INFO"));
  // "still open" is checked before "doesn't exist"
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.OpenForm(TIffTag("NONE")); }),
            "TIffReader: Attempt to open new form, but chunk INFO is still open!");
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.CloseForm(); }),
            "TIffReader: Attempt to close form, but chunk INFO is still open!");
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.OpenChunk(TIffTag("NONE")); }),
            "TIffReader[Form: ROOT]: Chunk (NONE) doesn't exist!");
  EXPECT_EQ(Reader.CurrentTag(), TIffTag("INFO"));  // a failed OpenChunk keeps the open one
}

TEST_F(IffReaderTest, TagsInMessagesEndAtTheirFirstZeroByte) {
  TIffReader Reader(Fixture(Form(std::string("AB\0D", 4), Chunk(std::string("X\0YZ", 4), 2))));
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.OpenChunk(TIffTag("Q\0RS")); }),
            "TIffReader[Form: AB]: Chunk (Q) doesn't exist!");
  Reader.OpenChunkByIndex(0);
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.CloseForm(); }),
            "TIffReader: Attempt to close form, but chunk X is still open!");
}

TEST_F(IffReaderTest, WritesInPlaceWithinTheChunkOnly) {
  const std::string FileName = Fixture(Form("COLL", Chunk("SPHR", 16, 0) + Chunk("TAIL", Text("zz"))));
  const TBytes Before = ReadFileBytes(FileName);
  {
    TIffReader Reader(FileName);
    Reader.OpenChunk(TIffTag("SPHR"));
    const uint8_t Twelve[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const uint8_t Four[4] = {13, 14, 15, 16};
    EXPECT_EQ(Reader.Write(Twelve, 12), 12);
    EXPECT_EQ(Reader.Write(Four, 4), 4);
    EXPECT_EQ(Reader.Position(), 24);
    EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.Write(Four, 1); }), "TIffReader: Write beyond end of chunk!");
    Reader.Flush();
  }
  TBytes Expected = Before;
  for (int I = 0; I < 16; ++I) Expected[20 + I] = uint8_t(I + 1);
  EXPECT_EQ(ReadFileBytes(FileName), Expected);
}

TEST_F(IffReaderTest, ReadStringStopsAtZeroAndFailsAtChunkOrFileEnd) {
  TIffReader Reader(Fixture(Form("ROOT", Chunk("STRS", Text(std::string("hard\0\0x", 7))))));
  Reader.OpenChunk(TIffTag("STRS"));
  std::string S = "old";
  EXPECT_EQ(Reader.ReadString(S), 4);
  EXPECT_EQ(S, "hard");
  EXPECT_EQ(Reader.ReadString(S), 0);
  EXPECT_EQ(S, "");
  EXPECT_EQ(Reader.Position(), 8 + 6);
  // "x", ended by the zero pad byte; then nothing is left before the chunk's end
  EXPECT_EQ(Reader.ReadString(S), 1);
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.ReadString(S); }), "TIffReader: Read beyond end of chunk!");

  // Strings longer than any block the reader reads at once, back to back.
  const std::string Long(70000, 'L');
  TIffReader LongReader(Fixture(Form("ROOT", Chunk("STRS", Text(Long + '\0' + "b" + '\0'))), "long.iff"));
  LongReader.OpenChunk(TIffTag("STRS"));
  EXPECT_EQ(LongReader.ReadString(S), 70000);
  EXPECT_TRUE(S == Long);
  EXPECT_EQ(LongReader.Position(), 8 + 70001);
  EXPECT_EQ(LongReader.ReadString(S), 1);
  EXPECT_EQ(S, "b");

  // A chunk whose size claims more than the cut-short file holds.
  const std::string Cut = Fixture(Form("ROOT", Header("STRS", 10) + Text("abc")), "cut.iff");
  TIffReader CutReader(Cut);
  CutReader.OpenChunk(TIffTag("STRS"));
  EXPECT_EQ(MessageOf<EIffReader>([&] { CutReader.ReadString(S); }), "TIffReader: " + Cut + " ends inside a string!");
  CutReader.OpenChunk(TIffTag("STRS"));
  char Ten[10];
  EXPECT_EQ(CutReader.Read(Ten, 10), 3);  // the file delivers what it has
  EXPECT_EQ(CutReader.Position(), 11);
  // ... and the file is never grown by a write into that missing part.
  CutReader.OpenChunk(TIffTag("STRS"));
  EXPECT_EQ(MessageOf<EIffReader>([&] { CutReader.Write(Ten, 4); }),
            "TIffReader: Write beyond end of file " + Cut + "!");
  EXPECT_EQ(std::filesystem::file_size(Cut), 12u + 8 + 3);
}

TEST_F(IffReaderTest, ChunksReadInPiecesCostOneCallToTheFileForTheirForm) {
  // Three records of twelve numbers and a name, as hardpoints are stored;
  // then one chunk past the size a reader holds, read from the file as it
  // is asked for.
  TBytes Records;
  for (int I = 0; I < 3; ++I) {
    TBytes Data;
    for (int K = 0; K < 48; ++K) Data.push_back(uint8_t(I * 48 + K));
    Records = Records + Chunk("HPNT", Data + Text("name" + std::to_string(I)) + TBytes{0});
  }
  const std::string Big(size_t(TIffReader::HeldChunkLimit) + 10, 'B');
  const std::string FileName = Fixture(Form("HARD", Records + Chunk("BIGS", Text(Big + '\0'))));

  static int Calls;
  TFileCallsGuard Guard;
  FileCalls().pread = [](int Handle, void* Buffer, unsigned long Count, long Offset) -> long {
    ++Calls;
    return ::pread(Handle, Buffer, Count, Offset);
  };
  TIffReader Reader(FileName);
  Calls = 0;
  for (int I = 0; I < 3; ++I) {
    SCOPED_TRACE(I);
    Reader.OpenChunkByIndex(I);
    for (int K = 0; K < 12; ++K) {
      uint8_t Four[4];
      ASSERT_EQ(Reader.Read(Four, 4), 4);
      EXPECT_EQ(Four[3], uint8_t(I * 48 + K * 4 + 3));
    }
    std::string Name;
    EXPECT_EQ(Reader.ReadString(Name), 5);
    EXPECT_EQ(Name, "name" + std::to_string(I));
    EXPECT_EQ(Reader.Position(), 8 + 48 + 6);
    EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.ReadString(Name); }), "TIffReader: Read beyond end of chunk!");
    Reader.CloseChunk();
  }
  EXPECT_EQ(Calls, 1);
  // What is written is what the next read sees.
  Reader.OpenChunkByIndex(1);
  uint8_t Byte = 0;
  Reader.Read(&Byte, 1);
  const uint8_t Seven = 7;
  Reader.Write(&Seven, 1);
  Reader.Read(&Byte, 1);
  Reader.CloseChunk();
  Reader.OpenChunkByIndex(1);
  uint8_t Three[3];
  EXPECT_EQ(Reader.Read(Three, 3), 3);
  EXPECT_EQ(Three[1], 7);
  EXPECT_EQ(Three[2], 48 + 2);
  Reader.CloseChunk();

  Reader.OpenChunk(TIffTag("BIGS"));
  std::string Text;
  EXPECT_EQ(Reader.ReadString(Text), int32_t(Big.size()));
  EXPECT_TRUE(Text == Big);
}

TEST_F(IffReaderTest, FilesWithoutAFirstHeaderAreNotValid) {
  for (const TBytes& Bytes : {TBytes{}, Text("FOR"), Text(std::string("\0ABCDEFG", 8))}) {
    const std::string FileName = Fixture(Bytes);
    EXPECT_EQ(OpenError<EIffReader>(Bytes), "TIffReader: " + FileName + "not a valid .iff file!");
  }
}

TEST_F(IffReaderTest, WhatFollowsTheRootDecidesBetweenQuietEndAndError) {
  const TBytes Root = Form("ROOT", Chunk("INFO", 2));  // 22 bytes
  for (const TBytes& Tail : {Text("a"), Text("abc"), Text(std::string("\0rest of it", 11))}) {
    EXPECT_NO_THROW(TIffReader(Fixture(Root + Tail)));
  }
  EXPECT_EQ(OpenError<EIffReader_ErrorInChunk>(Root + Text("JUNKab")),
            "EIffReader_ErrorInChunk: Error in Chunk \"JUNK\" at offset 16");
  const std::string FileName = Fixture(Root + Header("JUNK", 0));
  EXPECT_EQ(OpenError<EIffReader>(Root + Header("JUNK", 0)), "TIffReader: " + FileName + ", error at offset 00000016!");
  // Outside every form is decided before the size is looked at.
  EXPECT_EQ(OpenError<EIffReader>(Root + Header("JUNK", 0xFFFFFFF8)),
            "TIffReader: " + FileName + ", error at offset 00000016!");
}

TEST_F(IffReaderTest, AFileEndingInsideAFormHeaderNamesTheBytesObtained) {
  EXPECT_EQ(OpenError<EIffReader_ErrorInForm>(Header("FORM", 40) + Text("ROOT") + Header("FORM", 20) + Text("ME")),
            "EIffReader_ErrorInForm: Error in Form \"ME\" at offset C");
  EXPECT_EQ(OpenError<EIffReader_ErrorInForm>(Text("FORM") + TBytes{0, 0}),
            "EIffReader_ErrorInForm: Error in Form \"\" at offset 0");
}

TEST_F(IffReaderTest, AFileOfOneChunkHasThatChunkAsItsRoot) {
  TIffReader Reader(Fixture(Chunk("ONLY", 5)));
  EXPECT_TRUE(Reader.RootIsChunk());
  EXPECT_EQ(Reader.CurrentTag(), TIffTag("ONLY"));
  EXPECT_EQ(Reader.CurrentSize(), 6);
  EXPECT_EQ(Reader.FormCount(), 0);
  EXPECT_EQ(Reader.ChunkCount(), 0);
  const std::string FileName = Dir.File("model.iff");
  EXPECT_EQ(OpenError<EIffReader>(Chunk("ONLY", 5) + Chunk("MORE", 0)),
            "TIffReader: " + FileName + ", error at offset 0000000E!");
}

TEST_F(IffReaderTest, MalformedSizesEndIndexingWithTheOffset) {
  const std::string FileName = Dir.File("model.iff");
  auto Invalid = [&](const std::string& Offset) {
    return "TIffReader: " + FileName + ", invalid size at offset " + Offset + "!";
  };
  // A chunk of size -8 would otherwise set the scan back onto itself forever.
  EXPECT_EQ(OpenError<EIffReader>(Header("FORM", 100) + Text("ROOT") + Header("LOOP", 0xFFFFFFF8) + TBytes(80)),
            Invalid("0000000C"));
  EXPECT_EQ(OpenError<EIffReader>(Header("FORM", 0x80000000) + Text("ROOT")), Invalid("00000000"));
  EXPECT_EQ(OpenError<EIffReader>(Form("ROOT", Header("FORM", 3) + Text("TINY") + TBytes(4))), Invalid("0000000C"));
  EXPECT_EQ(OpenError<EIffReader>(Form("ROOT", Header("FORM", 0) + Text("NONE"))), Invalid("0000000C"));
  EXPECT_EQ(OpenError<EIffReader>(Header("FORM", 0x7FFFFFFF) + Text("ROOT") + Chunk("DATA", 2)), Invalid("00000000"));
  EXPECT_EQ(OpenError<EIffReader>(Header("FORM", 0x7FFFFFF0) + Text("ROOT") + Header("HUGE", 0x7FFFFFEE)),
            Invalid("0000000C"));
  // The largest form the offsets can hold is still accepted.
  EXPECT_NO_THROW(TIffReader(Fixture(Header("FORM", 0x7FFFFFF6) + Text("ROOT") + Chunk("DATA", 2))));
}

TEST_F(IffReaderTest, FilesOfTwoGibibytesOrMoreAreRefused) {
  const std::string FileName = Fixture(Form("ROOT", Chunk("DATA", 2)));
  ASSERT_EQ(::truncate(FileName.c_str(), off_t(1) << 31), 0);  // sparse: no disk space used
  EXPECT_EQ(MessageOf<EIffReader>([&] { TIffReader Reader(FileName); }),
            "TIffReader: " + FileName + ", file too large (2147483648 bytes, at most 2147483647)!");
  ASSERT_EQ(::truncate(FileName.c_str(), (off_t(1) << 31) - 1), 0);
  TIffReader Reader(FileName);  // zeros after the root end the scan quietly
  EXPECT_EQ(Reader.ChunkCount(), 1);
}

TEST_F(IffReaderTest, MissingFilesCannotBeOpened) {
  const std::string FileName = Dir.File("missing.iff");
  EXPECT_EQ(MessageOf<EFOpenError>([&] { TIffReader Reader(FileName); }), "Cannot open file " + FileName);
}

TEST_F(IffReaderTest, ReadOnlyReadersOpenReadOnlyFilesAndRefuseToWrite) {
  const std::string FileName = Fixture(SampleFile());
  ASSERT_EQ(::chmod(FileName.c_str(), 0444), 0);
  if (::geteuid() != 0) {  // the superuser may write any file
    EXPECT_EQ(MessageOf<EFOpenError>([&] { TIffReader Writable(FileName); }), "Cannot open file " + FileName);
  }
  TIffReader Reader(FileName, /*ReadOnly=*/true);
  Reader.OpenChunk(TIffTag("INFO"));
  uint8_t Byte = 0;
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.Write(&Byte, 1); }),
            "TIffReader: Cannot write, " + FileName + " is open for reading only!");
  EXPECT_EQ(Reader.Read(&Byte, 1), 1);
}

TEST_F(IffReaderTest, ReadersOfOneFileShareIt) {
  const std::string FileName = Fixture(SampleFile());
  TIffReader First(FileName);
  TIffReader Second(FileName);
  First.OpenChunk(TIffTag("NAME"));
  const uint8_t Mark = 0x5A;
  First.Write(&Mark, 1);
  Second.OpenChunk(TIffTag("NAME"));
  uint8_t Seen = 0;
  Second.Read(&Seen, 1);
  EXPECT_EQ(Seen, 0x5A);
}

TEST_F(IffReaderTest, ShortOrFailedDiskWritesAreErrorsAndFlushSyncs) {
  const std::string FileName = Fixture(SampleFile());
  TIffReader Reader(FileName);
  TFileCallsGuard Guard;
  Reader.OpenChunk(TIffTag("INFO"));
  FileCalls().fsync = [](int) -> int {
    errno = EIO;
    return -1;
  };
  const uint8_t Two[2] = {1, 2};
  // The first call takes one byte short, the second gives up with nothing.
  FileCalls().pwrite = [](int, const void*, unsigned long Count, long) -> long {
    static int Calls = 0;
    return ++Calls == 1 ? long(Count) - 1 : 0;
  };
  EXPECT_EQ(MessageOf<EIffReader>([&] { Reader.Write(Two, 2); }),
            "TIffReader: Only 1 of 2 bytes could be written to " + FileName + "!");
  EXPECT_EQ(MessageOf<EInOutError>([&] { Reader.Flush(); }), "Cannot flush file " + FileName + ": Input/output error");
}

TEST_F(IffReaderTest, IndexingReadsHeadersNotTheDataOfLargeChunks) {
  // Headers straddle the reader's block boundaries and sit far apart.
  TBytes Bytes;
  std::vector<std::pair<int32_t, int32_t>> Expected;  // offset, size
  for (int I = 0; I < 300; ++I) {
    const size_t DataSize = (I % 7 == 0) ? 70000 + I : size_t(I * 37 % 500);
    Expected.emplace_back(int32_t(12 + Bytes.size()), int32_t(DataSize + DataSize % 2));
    const TBytes One = Chunk("C" + std::to_string(100 + I), DataSize);
    Bytes.insert(Bytes.end(), One.begin(), One.end());
  }
  const std::string FileName = Fixture(Form("ROOT", Bytes));
  // Sparse chunks of 100 MB each: reading their data would show in the count.
  const std::string Big = Fixture(Header("FORM", 4 + 4 * (8 + 100000000)) + Text("BIGS"), "big.iff");
  {
    TFileStream Stream(Big, TFileMode::OpenReadWrite);
    for (int I = 0; I < 4; ++I) {
      Stream.Seek(12 + int64_t(I) * (8 + 100000000));
      const TBytes H = Header("BIG" + std::to_string(I), 100000000);
      Stream.Write(H.data(), 8);
    }
  }
  ASSERT_EQ(::truncate(Big.c_str(), 12 + 4 * (8 + 100000000)), 0);

  static int64_t BytesRead;
  TFileCallsGuard Guard;
  FileCalls().pread = [](int Handle, void* Buffer, unsigned long Count, long Offset) -> long {
    const long Got = ::pread(Handle, Buffer, Count, Offset);
    if (Got > 0) BytesRead += Got;
    return Got;
  };
  BytesRead = 0;
  TIffReader Reader(FileName);
  ASSERT_EQ(Reader.Root()->Chunks.size(), Expected.size());
  for (size_t I = 0; I < Expected.size(); ++I) {
    EXPECT_EQ(Reader.Root()->Chunks[I].Offset, Expected[I].first);
    EXPECT_EQ(Reader.Root()->Chunks[I].Size, Expected[I].second);
  }
  BytesRead = 0;
  TIffReader BigReader(Big);
  EXPECT_EQ(BigReader.ChunkCount(), 4);
  EXPECT_LT(BytesRead, 5 * 64 * 1024);
}

TEST_F(IffReaderTest, TheScanSlotIsGivenBackOnEveryWayOut) {
  const std::string Good = Fixture(SampleFile(), "good.iff");
  const std::vector<TBytes> Bad = {TBytes{}, Form("ROOT") + Text("JUNKab"), Header("FORM", 9) + Text("RO"),
                                   Form("ROOT") + Header("JUNK", 0), Header("FORM", 0xFFFFFFFF) + Text("ROOT")};
  for (int Round = 0; Round < 10; ++Round) {
    for (const TBytes& Bytes : Bad) EXPECT_ANY_THROW(TIffReader(Fixture(Bytes)));
  }
  for (int I = 1; I <= ScanSlotCount; ++I) EXPECT_TRUE(ScanSlot(I).Free) << "slot " << I;
  TIffReader Reader(Good);
  for (int I = 1; I <= ScanSlotCount; ++I) EXPECT_TRUE(ScanSlot(I).Free) << "slot " << I;
}

TEST_F(IffReaderTest, IndexingNeedsAFreeScanSlot) {
  const std::string FileName = Fixture(SampleFile());
  std::vector<std::unique_ptr<TScanSlotHold>> Held;
  for (int I = 0; I < ScanSlotCount - 1; ++I) Held.push_back(std::make_unique<TScanSlotHold>(nullptr));
  EXPECT_EQ(Held.back()->Number(), ScanSlotCount - 1);  // the lowest free slot is taken
  EXPECT_NO_THROW(TIffReader{FileName});                // the last slot is still free
  Held.push_back(std::make_unique<TScanSlotHold>(nullptr));
  EXPECT_EQ(MessageOf<EIffReader_NoFreeFileHandles>([&] { TIffReader Reader(FileName); }),
            "EIffReader_NoFreeFileHandles: No free file handles! Cannot open stream");
  Held.erase(Held.begin() + 4);  // slot 5 comes free
  Held.push_back(std::make_unique<TScanSlotHold>(nullptr));
  EXPECT_EQ(Held.back()->Number(), 5);
}

TEST_F(IffReaderTest, AMillionNestedFormsIndexAndDieWithoutDeepRecursion) {
  const size_t Depth = 1000000;
  const std::string FileName = Fixture(NestedForms(Depth));
  RunWithSmallStack(256 * 1024, [&] {
    TIffReader Reader(FileName);
    const TForm* Form = Reader.Root();
    size_t Levels = 1;
    while (!Form->Forms.empty()) Form = Form->Forms[0].get(), ++Levels;
    EXPECT_EQ(Levels, Depth);
    EXPECT_EQ(Form->Offset, int32_t(12 * (Depth - 1)));
    EXPECT_EQ(Form->Size, 4);
  });
}

}  // namespace
