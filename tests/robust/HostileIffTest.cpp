// Damaged and forged containers: every one ends in the reader's own error or
// a sound index, within a small memory bound (and the time bound CTest sets
// for each test), and, in the sanitizer build, without reading out of bounds.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "iff/IffReader.h"
#include "tests/robust/Bounded.h"
#include "tests/support/IffBytes.h"
#include "tests/support/TempDir.h"

using bounded::TOutcome;

namespace {

constexpr int64_t MemoryBound = 256 << 20;

class HostileIff : public ::testing::Test {
protected:
  // Indexes Bytes in a child process; Inspect may look at the reader and
  // tell what it found. Without it an index that succeeds reads "indexed".
  std::string Index(const TBytes& Bytes, const std::function<std::string(TIffReader&)>& Inspect = nullptr) {
    WriteFileBytes(File, Bytes);
    const TOutcome Outcome = bounded::RunBounded(MemoryBound, [&] {
      TIffReader Reader(File);
      return Inspect ? Inspect(Reader) : std::string("indexed");
    });
    return bounded::Describe(Outcome);
  }
  std::string Raised(const std::string& Message) { return "raised: " + Message; }

  TempDir Dir;
  const std::string File = Dir.File("hostile.iff");
};

// The bound the other tests rely on holds: an allocation far beyond it is
// stopped, whether the sanitizer's allocator or the address-space limit
// catches it.
TEST(MemoryBound, StopsAnAllocationBeyondIt) {
  const TOutcome Outcome = bounded::RunBounded(MemoryBound, [] {
    constexpr size_t Huge = size_t(1) << 30;
    // A call of the allocation function itself, which may not be left out.
    void* volatile Block = ::operator new(Huge);
    ::operator delete(Block);
    return std::string("allocated");
  });
  EXPECT_EQ(Outcome.Kind, TOutcome::OutOfMemory) << bounded::Describe(Outcome);
}

TEST_F(HostileIff, FilesOfUpToElevenBytesFailAtTheFirstHeader) {
  const TBytes Model = Form("DETA", Form("MESH"));
  for (size_t Length = 0; Length <= 11; ++Length) {
    SCOPED_TRACE(Length);
    const TBytes Cut(Model.begin(), Model.begin() + long(Length));
    std::string Expected;
    if (Length < 4)
      Expected = "TIffReader: " + File + "not a valid .iff file!";
    else
      Expected = "EIffReader_ErrorInForm: Error in Form \"" + std::string("DETA", Length > 8 ? Length - 8 : 0) +
                 "\" at offset 0";
    EXPECT_EQ(Index(Cut), Raised(Expected));
  }
  // A chunk as the first item: its size is missing up to byte 8, from then
  // on the chunk is the root.
  const TBytes Data = Chunk("VERT", TBytes(4, 1));
  for (size_t Length = 4; Length <= 11; ++Length) {
    SCOPED_TRACE(Length);
    const TBytes Cut(Data.begin(), Data.begin() + long(Length));
    EXPECT_EQ(Index(Cut),
              Length < 8 ? Raised("EIffReader_ErrorInChunk: Error in Chunk \"VERT\" at offset 0") : "indexed");
  }
  EXPECT_EQ(Index(TBytes(11, 0)), Raised("TIffReader: " + File + "not a valid .iff file!"));
}

TEST_F(HostileIff, SizesBeyondTheFormatAreRefusedWithTheirOffset) {
  for (uint32_t Size : {0xFFFFFFFFu, 0xFFFFFFF8u, 0x7FFFFFFFu, 0x80000000u, 0x7FFFFFF0u}) {
    SCOPED_TRACE(Size);
    // In a chunk, in a nested FORM and in the root FORM.
    EXPECT_EQ(Index(FormHeader("ROOT", 12) + Header("DATA", Size)),
              Raised("TIffReader: " + File + ", invalid size at offset 0000000C!"));
    EXPECT_EQ(Index(FormHeader("ROOT", 16) + FormHeader("SUBF", Size) + TBytes(4, 0)),
              Raised("TIffReader: " + File + ", invalid size at offset 0000000C!"));
    if (Size != 0x7FFFFFF0u) {
      EXPECT_EQ(Index(FormHeader("ROOT", Size) + Chunk("DATA", TBytes(4, 0))),
                Raised("TIffReader: " + File + ", invalid size at offset 00000000!"));
    }
  }
  // A root that claims more than the file holds but ends before the last
  // offset the format can name is read as far as the file goes.
  EXPECT_EQ(Index(FormHeader("ROOT", 0x7FFFFFF0u) + Chunk("DATA", TBytes(4, 0)),
                  [](TIffReader& Reader) { return std::to_string(Reader.ChunkCount()); }),
            "1");
}

TEST_F(HostileIff, AFormTooSmallForItsTypeIsRefused) {
  for (uint32_t Size = 0; Size <= 3; ++Size) {
    SCOPED_TRACE(Size);
    EXPECT_EQ(Index(FormHeader("ROOT", Size) + TBytes(8, 0)),
              Raised("TIffReader: " + File + ", invalid size at offset 00000000!"));
    EXPECT_EQ(Index(FormHeader("ROOT", 12) + FormHeader("SUBF", Size)),
              Raised("TIffReader: " + File + ", invalid size at offset 0000000C!"));
  }
}

TEST_F(HostileIff, AChildRunningPastItsParentStaysInsideTheFile) {
  // INNR claims 12 bytes (its type and LONG's header) but LONG's data runs 8
  // bytes further; the item after it belongs to the root.
  const TBytes Inner = FormHeader("INNR", 12) + Chunk("LONG", Text("12345678"));
  const TBytes Bytes = FormHeader("ROOT", uint32_t(4 + Inner.size() + 8)) + Inner + Chunk("NEXT", {});
  std::string Seen;
  EXPECT_EQ(Index(Bytes,
                  [&](TIffReader& Reader) {
                    Reader.OpenForm(TIffTag("INNR"));
                    Reader.OpenChunk(TIffTag("LONG"));
                    char Data[9] = {};
                    if (Reader.Read(Data, 8) != 8) throw Exception("short read");
                    Reader.CloseChunk();
                    Reader.CloseForm();
                    return std::string(Data) + " " + std::to_string(Reader.ChunkCount()) + " " +
                           Reader.GetForm(0)->Tag.ToText();
                  }),
            "12345678 1 INNR");
}

TEST_F(HostileIff, AChunkRunningPastTheEndOfTheFileReadsWhatIsThereAndIsNotGrown) {
  const TBytes Bytes = FormHeader("ROOT", 4 + 8 + 100) + Header("DATA", 100) + Text("0123456789");
  EXPECT_EQ(Index(Bytes,
                  [&](TIffReader& Reader) {
                    Reader.OpenChunk(TIffTag("DATA"));
                    std::vector<uint8_t> Data(100);
                    const int32_t Got = Reader.Read(Data.data(), 100);
                    Reader.OpenChunk(TIffTag("DATA"));
                    try {
                      Reader.Write(Data.data(), 11);
                    } catch (const Exception& E) {
                      return std::to_string(Got) + " " + E.Message();
                    }
                    return std::string("written");
                  }),
            "10 TIffReader: Write beyond end of file " + File + "!");
  EXPECT_EQ(ReadFileBytes(File), Bytes);
}

TEST_F(HostileIff, AMillionEmptyChunksIndexWithinTheBounds) {
  constexpr int32_t Count = 1000000;
  TBytes Children;
  Children.reserve(size_t(Count) * 8);
  const TBytes Empty = Header("NONE", 0);
  for (int32_t I = 0; I < Count; ++I) Children.insert(Children.end(), Empty.begin(), Empty.end());
  EXPECT_EQ(Index(Form("ROOT", Children),
                  [&](TIffReader& Reader) {
                    Reader.OpenChunkByIndex(Count - 1);
                    return std::to_string(Reader.OpenChunkItem()->Offset) + " of " +
                           std::to_string(Reader.Root()->Chunks.size());
                  }),
            std::to_string(12 + 8 * (Count - 1)) + " of " + std::to_string(Count));
}

TEST_F(HostileIff, AHundredThousandNestedFormsIndexNavigateAndDie) {
  constexpr int Depth = 100000;
  // Built from the inside out: each form's size covers everything within.
  TBytes Bytes = Chunk("LEAF", Text("leaf"));
  std::vector<TBytes> Headers;
  TBytes File;
  uint32_t Inside = uint32_t(Bytes.size());
  for (int I = 0; I < Depth; ++I) {
    Headers.push_back(FormHeader("NEST", 4 + Inside));
    Inside += 12;
  }
  for (auto It = Headers.rbegin(); It != Headers.rend(); ++It) File.insert(File.end(), It->begin(), It->end());
  File = File + Bytes;
  EXPECT_EQ(Index(File,
                  [&](TIffReader& Reader) {
                    for (int I = 1; I < Depth; ++I) Reader.OpenForm(TIffTag("NEST"));
                    Reader.OpenChunk(TIffTag("LEAF"));
                    char Data[5] = {};
                    Reader.Read(Data, 4);
                    return std::string(Data);
                  }),
            "leaf");
}

}  // namespace
