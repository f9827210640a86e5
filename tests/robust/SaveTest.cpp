// The save writes the sixteen sphere bytes and nothing else. Whatever the
// disk does (a short write, a refused write, a full disk, a failed flush),
// the caller hears of it, and the file holds either what it held or exactly
// the new sixteen bytes; a file changed behind the editor's back is indexed
// again, so the save finds the sphere where it now is or fails cleanly.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "model/SampleModel.h"
#include "model/SphereFile.h"
#include "model/TZorvObject.h"
#include "runtime/FileLayer.h"
#include "tests/support/CliRun.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/IffBytes.h"
#include "tests/support/TempDir.h"

namespace {

const float NewCenter[3] = {1.5f, -2.25f, 1e-3f};
const float NewDiameter = 4.75f;

TBytes NewSphereBytes() {
  TBytes Bytes(16);
  std::memcpy(Bytes.data(), NewCenter, 12);
  std::memcpy(Bytes.data() + 12, &NewDiameter, 4);
  return Bytes;
}

// Where the sphere's sixteen bytes are: just after the header of the first
// "SPHR" chunk.
size_t SphereOffset(const TBytes& File) {
  const char Tag[] = "SPHR";
  auto At = std::search(File.begin(), File.end(), Tag, Tag + 4);
  return size_t(At - File.begin()) + 8;
}

TBytes WithNewSphere(TBytes File) {
  const TBytes New = NewSphereBytes();
  std::copy(New.begin(), New.end(), File.begin() + long(SphereOffset(File)));
  return File;
}

// The disk as the fault calls see it: how many more write calls succeed,
// what a failing one does.
struct TDiskFaults {
  int GoodWrites = 0;    // write calls that go through before the fault
  int FaultyWrites = 1;  // how many calls the fault lasts; then the disk recovers
  long ShortBytes = -1;  // >= 0: a faulty call writes this many bytes; else it fails
  int Errno = EIO;
  bool FailFsync = false;
};
TDiskFaults Faults;

long FaultyPwrite(int Handle, const void* Buffer, unsigned long Count, long Offset) {
  if (Faults.GoodWrites > 0) {
    --Faults.GoodWrites;
    return ::pwrite(Handle, Buffer, Count, Offset);
  }
  if (Faults.FaultyWrites == 0) return ::pwrite(Handle, Buffer, Count, Offset);
  --Faults.FaultyWrites;
  if (Faults.ShortBytes >= 0) {
    // The disk takes a part, then refuses the rest of this write.
    const long Put = ::pwrite(Handle, Buffer, std::min<unsigned long>(Count, Faults.ShortBytes), Offset);
    Faults.ShortBytes = -1;
    ++Faults.FaultyWrites;
    return Put;
  }
  errno = Faults.Errno;
  return -1;
}

int FaultyFsync(int Handle) {
  if (Faults.FailFsync) {
    errno = EIO;
    return -1;
  }
  return ::fsync(Handle);
}

class Save : public ::testing::Test {
protected:
  void SetUp() override {
    WriteSampleModel(File);
    Original = ReadFileBytes(File);
    Faults = TDiskFaults{};
  }
  void TearDown() override { ResetFileCalls(); }

  std::string SaveNew() {
    return MessageOf([&] { WriteSphere(File, NewCenter, NewDiameter); });
  }
  // A save on a disk with these faults, the file calls put right after it.
  std::string SaveNewWith(const TDiskFaults& With) {
    Faults = With;
    FileCalls().pwrite = FaultyPwrite;
    FileCalls().fsync = FaultyFsync;
    const std::string Message = SaveNew();
    ResetFileCalls();
    return Message;
  }

  // A fresh load of the sphere, as the window does after a save.
  std::string LoadedSphere() {
    float Center[3];
    float Diameter;
    bool Tree;
    ReadSphere(File, Center, Diameter, Tree);
    TBytes Bytes(16);
    std::memcpy(Bytes.data(), Center, 12);
    std::memcpy(Bytes.data() + 12, &Diameter, 4);
    return Bytes == NewSphereBytes() ? "new" : "other";
  }

  TempDir Dir;
  const std::string File = Dir.File("craft.iff");
  TBytes Original;
};

TEST_F(Save, ASuccessfulSaveChangesTheSixteenBytesAndReadsBack) {
  EXPECT_EQ(SaveNew(), "(nothing raised)");
  EXPECT_EQ(ReadFileBytes(File), WithNewSphere(Original));
  EXPECT_EQ(LoadedSphere(), "new");
  TZorvObject Model(TDisplayListPolicy::None);
  Model.LoadFromFile(File);
  EXPECT_EQ(Model.HardpointCount(), int32_t(SampleCraftHardpoints().size()));
}

TEST_F(Save, AWriteTheDiskRefusesIsReportedAndChangesNothing) {
  for (int Code : {EIO, ENOSPC, EDQUOT}) {
    SCOPED_TRACE(Code);
    EXPECT_EQ(SaveNewWith({.Errno = Code}), "Cannot write file " + File + ": " + std::strerror(Code));
    EXPECT_EQ(ReadFileBytes(File), Original);
  }
}

TEST_F(Save, AShortWriteIsReportedAndTheOldBytesPutBack) {
  EXPECT_EQ(SaveNewWith({.ShortBytes = 5, .Errno = ENOSPC}),
            "TIffReader: Only 5 of 16 bytes could be written to " + File + "!");
  EXPECT_EQ(ReadFileBytes(File), Original);
}

TEST_F(Save, AShortWriteThatCannotBeUndoneSaysSo) {
  EXPECT_EQ(SaveNewWith({.FaultyWrites = 1000, .ShortBytes = 5}),
            "TIffReader: Only 5 of 16 bytes could be written to " + File +
                "! The previous sphere bytes could not be put back: Cannot write file " + File +
                ": Input/output error");
  // Only the first five of the sixteen bytes are new; nothing else moved.
  TBytes Expected = Original;
  const TBytes New = NewSphereBytes();
  std::copy(New.begin(), New.begin() + 5, Expected.begin() + long(SphereOffset(Original)));
  EXPECT_EQ(ReadFileBytes(File), Expected);
}

TEST_F(Save, AFailedFlushIsNotASave) {
  EXPECT_EQ(SaveNewWith({.FaultyWrites = 0, .FailFsync = true}), "Cannot flush file " + File + ": Input/output error");
  EXPECT_EQ(ReadFileBytes(File), WithNewSphere(Original));
}

TEST_F(Save, AFileReplacedSinceTheLoadIsIndexedAgain) {
  EXPECT_EQ(LoadedSphere(), "other");
  // The same craft with one hardpoint less: the sphere now lies elsewhere.
  TSampleSphere Sphere = SampleCraftSphere();
  std::vector<TSampleHardpoint> Hardpoints = SampleCraftHardpoints();
  Hardpoints.pop_back();
  WriteLodModel(File, {SampleCraftMesh(0)}, Hardpoints, &Sphere);
  const TBytes Replaced = ReadFileBytes(File);
  ASSERT_NE(SphereOffset(Replaced), SphereOffset(Original));
  EXPECT_EQ(SaveNew(), "(nothing raised)");
  EXPECT_EQ(ReadFileBytes(File), WithNewSphere(Replaced));
  EXPECT_EQ(LoadedSphere(), "new");

  // Replaced by a file without a sphere: refused before anything is written.
  WriteLodModel(File, {SampleCraftMesh(2)}, Hardpoints, nullptr);
  const TBytes NoSphere = ReadFileBytes(File);
  EXPECT_EQ(SaveNew(), "TIffReader: Form (COLL) doesn't exist!");
  EXPECT_EQ(ReadFileBytes(File), NoSphere);
}

TEST_F(Save, AFileShortenedSinceTheLoadFailsCleanly) {
  const size_t Sphere = SphereOffset(Original);
  struct TCut {
    size_t Length;
    std::string Error;
  };
  const TCut Cuts[] = {
      {Sphere + 15, "TIffReader: Write beyond end of file " + File + "!"},
      {Sphere + 1, "TIffReader: Write beyond end of file " + File + "!"},
      {Sphere - 2, "EIffReader_ErrorInChunk: Error in Chunk \"SPHR\" at offset " +
                       [&] {
                         char Hex[16];
                         std::snprintf(Hex, sizeof Hex, "%zX", Sphere - 8);
                         return std::string(Hex);
                       }()},
      {Sphere - 8, "TIffReader[Form: COLL]: Chunk (SPHR) doesn't exist!"},
      {0, "TIffReader: " + File + "not a valid .iff file!"},
  };
  for (const TCut& Cut : Cuts) {
    SCOPED_TRACE(Cut.Length);
    const TBytes Shortened(Original.begin(), Original.begin() + long(Cut.Length));
    WriteFileBytes(File, Shortened);
    EXPECT_EQ(SaveNew(), Cut.Error);
    EXPECT_EQ(ReadFileBytes(File), Shortened);
  }
}

// Makes a file read-only in a way that also holds for root: the immutable
// attribute where the file system has it, else the permission bits (which
// stop everyone but root). False when neither stops a writer.
bool MakeReadOnly(const std::string& FileName, bool Immutable) {
  if (Immutable) {
    const int Handle = ::open(FileName.c_str(), O_RDONLY);
    if (Handle < 0) return false;
    int Flags = 0;
    bool Done = ::ioctl(Handle, FS_IOC_GETFLAGS, &Flags) == 0;
    Flags |= FS_IMMUTABLE_FL;
    Done = Done && ::ioctl(Handle, FS_IOC_SETFLAGS, &Flags) == 0;
    ::close(Handle);
    if (!Done) return false;
  } else {
    ::chmod(FileName.c_str(), 0444);
  }
  const int Probe = ::open(FileName.c_str(), O_RDWR);
  if (Probe >= 0) ::close(Probe);
  return Probe < 0;
}

void ClearImmutable(const std::string& FileName) {
  const int Handle = ::open(FileName.c_str(), O_RDONLY);
  if (Handle < 0) return;
  int Flags = 0;
  if (::ioctl(Handle, FS_IOC_GETFLAGS, &Flags) == 0) {
    Flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(Handle, FS_IOC_SETFLAGS, &Flags);
  }
  ::close(Handle);
}

TEST_F(Save, AReadOnlyFileIsNeitherSavedNorLoadedForEditing) {
  const bool Root = ::geteuid() == 0;
  if (!MakeReadOnly(File, Root)) GTEST_SKIP() << "no way to make a file read-only here";
  struct TUndo {
    std::string F;
    ~TUndo() { ClearImmutable(F); }
  } Undo{File};
  EXPECT_EQ(SaveNew(), "Cannot open file " + File);
  EXPECT_EQ(MessageOf([&] { LoadedSphere(); }), "Cannot open file " + File);
  EXPECT_EQ(ReadFileBytes(File), Original);
}

// A small file system of its own, filled to the last block: overwriting
// bytes in place needs no room, so the save goes through. Needs the right to
// mount; the full disk through the fault calls is checked above (ENOSPC).
TEST_F(Save, AFullDiskStillTakesTheInPlaceSave) {
  const std::string Disk = Dir.File("disk");
  std::filesystem::create_directory(Disk);
  if (::mount("tmpfs", Disk.c_str(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "cannot mount a small file system here: " << std::strerror(errno);
  struct TUnmount {
    std::string D;
    ~TUnmount() { ::umount2(D.c_str(), MNT_DETACH); }
  } Unmount{Disk};
  const std::string OnDisk = Disk + "/craft.iff";
  WriteFileBytes(OnDisk, Original);
  ASSERT_EQ(ReadFileBytes(OnDisk), Original);
  {
    const int Filler = ::open((Disk + "/filler").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(Filler, 0);
    const std::vector<char> Block(4096, 'x');
    while (::write(Filler, Block.data(), Block.size()) > 0) {}
    const char One = 'x';
    while (::write(Filler, &One, 1) > 0) {}
    ASSERT_EQ(errno, ENOSPC);
    ::close(Filler);
  }
  EXPECT_EQ(MessageOf([&] { WriteSphere(OnDisk, NewCenter, NewDiameter); }), "(nothing raised)");
  EXPECT_EQ(ReadFileBytes(OnDisk), WithNewSphere(Original));
}

#ifdef QUELBIR_CLI
// The command line's save on the same faults a user can cause: a read-only
// file fails with exit status 1 and the message alone on stderr.
TEST_F(Save, TheCommandLineReportsAFailedSaveAndNeverSuccess) {
  auto Run = [&](const std::vector<std::string>& Values) {
    std::vector<std::string> Args{"sphere", File, "--set"};
    Args.insert(Args.end(), Values.begin(), Values.end());
    const TRun R = Cli(Dir, Args);
    return std::to_string(R.Code) + " " + R.Err;
  };
  EXPECT_EQ(Run({"1.5", "-2.25", "0.001", "4.75"}), "0 ");
  EXPECT_EQ(LoadedSphere(), "new");
  const TBytes Saved = ReadFileBytes(File);
  if (!MakeReadOnly(File, ::geteuid() == 0)) GTEST_SKIP() << "no way to make a file read-only here";
  struct TUndo {
    std::string F;
    ~TUndo() { ClearImmutable(F); }
  } Undo{File};
  EXPECT_EQ(Run({"1", "2", "3", "4"}), "1 Cannot open file " + File + "\n");
  EXPECT_EQ(ReadFileBytes(File), Saved);
}
#endif

}  // namespace
