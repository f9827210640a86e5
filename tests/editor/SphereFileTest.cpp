// The collision sphere's file operations: what a load reads (and leaves half
// done when it fails), and that a save changes the sixteen sphere bytes and
// nothing else, also when the disk fails under it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

#include "model/SphereFile.h"
#include "runtime/FileLayer.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/IffBytes.h"
#include "tests/support/TempDir.h"

namespace {

// A model-like file: something before the sphere form, the COLL form with a
// chunk before SPHR and an EXTN form after it, and something after COLL.
TBytes SphereFile(const TBytes& SphereData, bool WithExtn = true) {
  TBytes Coll = Chunk("INFO", {1, 2}) + Chunk("SPHR", SphereData);
  if (WithExtn) Coll = Coll + Form("EXTN", Chunk("NODE", TBytes{9}));
  return Form("DETA", Chunk("HEAD", {7, 7, 7}) + Form("COLL", Coll) + Chunk("TAIL", {5, 6, 7, 8}));
}

TBytes Bytes(const float (&Center)[3], float Diameter) { return Floats({Center[0], Center[1], Center[2], Diameter}); }

// What the fields hold before a read, to see which ones it changed.
struct TFields {
  float Center[3] = {-7, -7, -7};
  float Diameter = -7;
  bool TreePresent = true;
};

class SphereFileTest : public ::testing::Test {
protected:
  std::string Write(const TBytes& Content) {
    WriteFileBytes(FileName, Content);
    return FileName;
  }
  void Read(TFields& F, bool ReadOnly = false) { ReadSphere(FileName, F.Center, F.Diameter, F.TreePresent, ReadOnly); }
  std::string ReadError(TFields& F) {
    return MessageOf([&] { Read(F); });
  }
  std::string SaveError(const float (&Center)[3], float Diameter, const TFileIdentity* Fitted = nullptr) {
    return MessageOf([&] { WriteSphere(FileName, Center, Diameter, Fitted); });
  }
  TempDir Dir;
  std::string FileName = Dir.File("model.iff");
};

}  // namespace

TEST_F(SphereFileTest, ReadsCentreDiameterAndTree) {
  Write(SphereFile(Floats({1.5f, 0, -2.25f, 3})));
  TFields F;
  Read(F);
  EXPECT_EQ(F.Center[0], 1.5f);
  EXPECT_EQ(F.Center[1], 0.0f);
  EXPECT_EQ(F.Center[2], -2.25f);
  EXPECT_EQ(F.Diameter, 3.0f);
  EXPECT_TRUE(F.TreePresent);
}

TEST_F(SphereFileTest, TreeCountsOnlyAnExtnFormDirectlyInsideColl) {
  Write(SphereFile(Floats({1, 2, 3, 4}), /*WithExtn=*/false));
  TFields F;
  Read(F);
  EXPECT_FALSE(F.TreePresent);

  Write(Form("DETA", Form("COLL", Chunk("SPHR", Floats({1, 2, 3, 4})) + Form("DEEP", Form("EXTN"))) + Form("EXTN")));
  F.TreePresent = true;
  Read(F);
  EXPECT_FALSE(F.TreePresent);
}

TEST_F(SphereFileTest, KeepsTheStoredBitPatterns) {
  const uint32_t Patterns[4] = {0x7FC12345u /* NaN with payload */, 0x80000000u /* -0 */,
                                0x00000001u /* smallest denormal */, 0xFF800000u /* -inf */};
  TBytes Data(16);
  std::memcpy(Data.data(), Patterns, 16);
  Write(SphereFile(Data));
  TFields F;
  Read(F);
  uint32_t Got[4];
  std::memcpy(Got, F.Center, 12);
  std::memcpy(Got + 3, &F.Diameter, 4);
  for (int I = 0; I < 4; ++I) EXPECT_EQ(Got[I], Patterns[I]) << "value " << I;
}

TEST_F(SphereFileTest, MissingFormOrChunkFailsBeforeAnyFieldChanges) {
  struct TCase {
    TBytes File;
    std::string Message;
  };
  const TCase Cases[] = {
      {Form("DETA", Chunk("SPHR", Floats({1, 2, 3, 4}))), "TIffReader: Form (COLL) doesn't exist!"},
      {Form("DETA", Form("WRAP", Form("COLL", Chunk("SPHR", Floats({1, 2, 3, 4}))))),
       "TIffReader: Form (COLL) doesn't exist!"},
      {Form("DETA", Form("COLL", Chunk("SPHX", Floats({1, 2, 3, 4})))),
       "TIffReader[Form: COLL]: Chunk (SPHR) doesn't exist!"},
  };
  for (const TCase& Case : Cases) {
    Write(Case.File);
    TFields F;
    EXPECT_EQ(ReadError(F), Case.Message);
    EXPECT_EQ(F.Center[0], -7.0f);
    EXPECT_EQ(F.Diameter, -7.0f);
    EXPECT_TRUE(F.TreePresent);
    // A save of such a file stops before anything is written.
    const TBytes Before = ReadFileBytes(FileName);
    EXPECT_EQ(SaveError({1, 1, 1}, 1), Case.Message);
    EXPECT_EQ(ReadFileBytes(FileName), Before);
  }
}

TEST_F(SphereFileTest, ShortChunkLeavesTheFinishedStepsOfARead) {
  // 12 to 14 bytes: the centre is read, then the diameter is refused.
  for (size_t Size : {12u, 13u, 14u}) {
    TBytes Data = Floats({1.5f, 2.5f, 3.5f});
    Data.resize(Size, 0xAA);
    Write(SphereFile(Data));
    TFields F;
    EXPECT_EQ(ReadError(F), "TIffReader: Read beyond end of chunk!") << Size;
    EXPECT_EQ(F.Center[0], 1.5f);
    EXPECT_EQ(F.Center[2], 3.5f);
    EXPECT_EQ(F.Diameter, -7.0f);
    EXPECT_TRUE(F.TreePresent);
  }
  // Fewer than 12: nothing is read.
  Write(SphereFile(Floats({1.5f, 2.5f})));
  TFields F;
  EXPECT_EQ(ReadError(F), "TIffReader: Read beyond end of chunk!");
  EXPECT_EQ(F.Center[0], -7.0f);
}

TEST_F(SphereFileTest, FifteenByteChunkUsesItsPadByteAsTheLastByte) {
  TBytes File = SphereFile(TBytes{0, 0, 0x80, 0x3F, 0, 0, 0, 0x40, 0, 0, 0x40, 0x40, 0, 0, 0x80});
  const size_t At = DataOffset(File, "SPHR");
  File[At + 15] = 0x40;  // the pad byte
  Write(File);
  TFields F;
  Read(F);
  EXPECT_EQ(F.Center[0], 1.0f);
  EXPECT_EQ(F.Center[1], 2.0f);
  EXPECT_EQ(F.Center[2], 3.0f);
  EXPECT_EQ(F.Diameter, 4.0f);

  // A save writes the pad byte as the fourth value's last byte; the size
  // field still says 15 and the file keeps its length.
  WriteSphere(FileName, {1, 2, 3}, -4.0f);
  TBytes Expected = File;
  const TBytes New = Floats({1, 2, 3, -4.0f});
  std::copy(New.begin(), New.end(), Expected.begin() + long(At));
  EXPECT_EQ(ReadFileBytes(FileName), Expected);
}

TEST_F(SphereFileTest, FileEndingInsideTheChunkIsAnError) {
  TBytes File = SphereFile(Floats({1, 2, 3, 4}));
  File.resize(DataOffset(File, "SPHR") + 10);  // the chunk claims 16 bytes, 10 exist
  Write(File);
  TFields F;
  EXPECT_EQ(ReadError(F), "ReadSphere: " + FileName + " ends inside the SPHR chunk!");
  EXPECT_EQ(F.Center[0], -7.0f);
  // Saving into it must not grow the file.
  EXPECT_EQ(SaveError({1, 1, 1}, 1), "TIffReader: Write beyond end of file " + FileName + "!");
  EXPECT_EQ(ReadFileBytes(FileName), File);
}

TEST_F(SphereFileTest, SaveChangesTheSixteenBytesOnly) {
  // A chunk longer than 16 bytes keeps its extra bytes, its size and place.
  TBytes Data = Floats({1, 2, 3, 4, 5});
  Data.push_back(0x11);
  const TBytes File = SphereFile(Data);
  Write(File);
  const float Center[3] = {0.125f, -2.0f, 1e30f};
  WriteSphere(FileName, Center, 7.5f);

  TBytes Expected = File;
  const TBytes New = Bytes(Center, 7.5f);
  std::copy(New.begin(), New.end(), Expected.begin() + long(DataOffset(File, "SPHR")));
  EXPECT_EQ(ReadFileBytes(FileName), Expected);

  TFields F;
  Read(F);
  EXPECT_EQ(F.Center[2], 1e30f);
  EXPECT_EQ(F.Diameter, 7.5f);
  EXPECT_TRUE(F.TreePresent);
}

TEST_F(SphereFileTest, SaveWithoutEditsLeavesTheFileByteForByte) {
  TBytes Data(16);
  const uint32_t Nan = 0x7FA00001u;  // a signalling NaN must survive the round trip
  std::memcpy(Data.data() + 12, &Nan, 4);
  Data[0] = 0x3F;
  const TBytes File = SphereFile(Data);
  Write(File);
  TFields F;
  Read(F);
  WriteSphere(FileName, F.Center, F.Diameter);
  EXPECT_EQ(ReadFileBytes(FileName), File);
}

// A sphere worked out from one file never lands in another that took its
// name since, nor in the same file changed since.
TEST_F(SphereFileTest, AFittedSphereIsWrittenOnlyIntoTheFileItWasFittedTo) {
  const TBytes Original = SphereFile(Floats({1, 2, 3, 4}));
  const std::string Other = Dir.File("other.iff");
  auto Identity = [](const std::string& Name) { return TFileStream(Name, TFileMode::OpenRead).Identity(); };
  const std::string Refusal =
      "WriteSphere: " + FileName +
      " is no longer the file the sphere was fitted to (replaced or changed since); nothing was written!";
  struct TCase {
    const char* Change;
    std::function<void()> Apply;
  };
  const std::vector<TCase> Cases{{"replaced by a rename",
                                  [&] {
                                    WriteFileBytes(Other, Original);
                                    std::filesystem::rename(Other, FileName);
                                  }},
                                 {"longer",
                                  [&] {
                                    WriteFileBytes(FileName, SphereFile(Floats({1, 2, 3, 4, 5})));
                                  }},
                                 {"rewritten later", [&] {
                                    ::usleep(20000);
                                    WriteFileBytes(FileName, Original);
                                  }}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Change);
    Write(Original);
    const TFileIdentity Fitted = Identity(FileName);
    C.Apply();
    const TBytes Now = ReadFileBytes(FileName);
    EXPECT_EQ(SaveError({9, 9, 9}, 9, &Fitted), Refusal);
    EXPECT_EQ(ReadFileBytes(FileName), Now);
  }
  Write(Original);
  const TFileIdentity Fitted = Identity(FileName);
  WriteSphere(FileName, {9, 9, 9}, 9, &Fitted);
  EXPECT_EQ(ReadFileBytes(FileName), SphereFile(Floats({9, 9, 9, 9})));
}

TEST_F(SphereFileTest, ChunkTooShortForTheSaveIsRefusedBeforeWriting) {
  for (size_t Size : {8u, 12u, 13u, 14u}) {
    TBytes Data = Floats({1, 2, 3});
    Data.resize(Size, 0x55);
    const TBytes File = SphereFile(Data);
    Write(File);
    EXPECT_EQ(SaveError({9, 9, 9}, 9), "TIffReader: Write beyond end of chunk!") << Size;
    EXPECT_EQ(ReadFileBytes(FileName), File) << Size;
  }
}

TEST_F(SphereFileTest, ReadOnlyFileCannotBeSavedOrLoadedButCanBeInspected) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser may write any file";
  const TBytes File = SphereFile(Floats({1, 2, 3, 4}));
  Write(File);
  std::filesystem::permissions(FileName, std::filesystem::perms::owner_read);
  TFields F;
  EXPECT_EQ(SaveError({9, 9, 9}, 9), "Cannot open file " + FileName);
  EXPECT_EQ(ReadError(F), "Cannot open file " + FileName);
  Read(F, /*ReadOnly=*/true);
  EXPECT_EQ(F.Diameter, 4.0f);
  EXPECT_EQ(ReadFileBytes(FileName), File);
}

// The disk failing under a save, through the file layer's system-call seam.
namespace {

int ShortWrites = 0;  // how many writes come up short before the disk recovers

long PwriteShort(int Handle, const void* Buffer, unsigned long Count, long Offset) {
  static bool Cut = false;  // after a cut write the disk takes nothing more of that write
  if (ShortWrites > 0) {
    if (Cut) {
      Cut = false;
      --ShortWrites;
      return 0;
    }
    Cut = true;
    return ::pwrite(Handle, Buffer, Count < 5 ? Count : 5, Offset);
  }
  return ::pwrite(Handle, Buffer, Count, Offset);
}

long PwriteFails(int, const void*, unsigned long, long) {
  errno = EIO;
  return -1;
}

int FsyncFails(int) {
  errno = EIO;
  return -1;
}

}  // namespace

class SphereSaveOnFailingDisk : public SphereFileTest {
protected:
  void SetUp() override {
    Original = SphereFile(Floats({1, 2, 3, 4}));
    Write(Original);
    Saved = Original;
    const TBytes New = Floats({5, 6, 7, 8});
    std::copy(New.begin(), New.end(), Saved.begin() + long(DataOffset(Original, "SPHR")));
  }
  void TearDown() override { ResetFileCalls(); }
  TBytes Original, Saved;
};

TEST_F(SphereSaveOnFailingDisk, EachFailureIsReportedAndLeavesTheFileAsItSays) {
  const std::string Short = "TIffReader: Only 5 of 16 bytes could be written to " + FileName + "!";
  struct TCase {
    const char* What;
    int Cuts;  // short writes before the disk recovers
    decltype(TFileCalls::pwrite) Pwrite;
    decltype(TFileCalls::fsync) Fsync;
    std::string Message;
    const TBytes* After;  // the file after the failure; unchecked when null
  };
  const TCase Cases[] = {
      {"a short write: the old bytes are put back", 1, PwriteShort, nullptr, Short, &Original},
      {"a short write that cannot be undone", 2, PwriteShort, nullptr,
       Short + " The previous sphere bytes could not be put back: " + Short, nullptr},
      {"a refused write changes nothing", 0, PwriteFails, nullptr,
       "Cannot write file " + FileName + ": " + std::strerror(EIO), &Original},
      {"a failed flush is no save", 0, nullptr, FsyncFails, "Cannot flush file " + FileName + ": " + std::strerror(EIO),
       &Saved},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.What);
    Write(Original);
    ShortWrites = Case.Cuts;
    if (Case.Pwrite) FileCalls().pwrite = Case.Pwrite;
    if (Case.Fsync) FileCalls().fsync = Case.Fsync;
    EXPECT_EQ(SaveError({5, 6, 7}, 8), Case.Message);
    ResetFileCalls();
    if (Case.After) {
      EXPECT_EQ(ReadFileBytes(FileName), *Case.After);
    }
  }
}
