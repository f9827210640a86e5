#include "runtime/FileLayer.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cerrno>

#include "tests/iff/IffBytes.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/TempDir.h"

namespace {

TEST(FileLayer, ExistsAndDeleteSeeOnlyRegularFiles) {
  TempDir Dir;
  const std::string FileName = Dir.File("a.bin");
  EXPECT_FALSE(FileExists(FileName));
  WriteFileBytes(FileName, {1});
  EXPECT_TRUE(FileExists(FileName));
  EXPECT_FALSE(FileExists(Dir.Path().string()));
  EXPECT_TRUE(DeleteFile(FileName));
  EXPECT_FALSE(DeleteFile(FileName));
  EXPECT_FALSE(FileExists(FileName));
}

TEST(FileLayer, OpenAndCreateFailuresNameTheFile) {
  TempDir Dir;
  const std::string Missing = Dir.File("missing.bin"), Nowhere = Dir.File("no/dir.bin");
  for (TFileMode Mode : {TFileMode::OpenRead, TFileMode::OpenReadWrite}) {
    EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream Stream(Missing, Mode); }), "Cannot open file " + Missing);
  }
  EXPECT_EQ(MessageOf<EFCreateError>([&] { TFileStream Stream(Nowhere, TFileMode::Create); }),
            "Cannot create file " + Nowhere);
}

TEST(FileLayer, ReadsAreShortOnlyAtTheEndAndCreateTruncates) {
  TempDir Dir;
  const std::string FileName = Dir.File("a.bin");
  WriteFileBytes(FileName, {1, 2, 3, 4, 5});
  TFileStream Stream(FileName, TFileMode::OpenRead);
  EXPECT_EQ(Stream.Size(), 5);
  uint8_t Buffer[8] = {};
  Stream.Seek(3);
  EXPECT_EQ(Stream.Read(Buffer, 8), 2);
  EXPECT_EQ(Buffer[0], 4);
  EXPECT_EQ(Stream.Position(), 5);
  Stream.Seek(100);
  EXPECT_EQ(Stream.Read(Buffer, 8), 0);
  EXPECT_EQ(Stream.Position(), 100);
  EXPECT_THROW(Stream.Seek(-1), EInOutError);

  TFileStream Fresh(FileName, TFileMode::Create);
  EXPECT_EQ(Fresh.Size(), 0);
  EXPECT_EQ(Fresh.Write("xyz", 3), 3);
  EXPECT_EQ(ReadFileBytes(FileName), Text("xyz"));
}

TEST(FileLayer, SharedOpenersSeeEachOthersWrites) {
  TempDir Dir;
  const std::string FileName = Dir.File("a.bin");
  WriteFileBytes(FileName, {0, 0});
  TFileStream First(FileName, TFileMode::OpenReadWrite);
  TFileStream Second(FileName, TFileMode::OpenReadWrite);
  First.Seek(1);
  First.Write("Q", 1);
  char Seen[2];
  EXPECT_EQ(Second.Read(Seen, 2), 2);
  EXPECT_EQ(Seen[1], 'Q');
}

// Interrupted and partial system calls are carried on; failures raise.
TEST(FileLayer, SystemCallsAreRetriedOrReported) {
  TempDir Dir;
  const std::string FileName = Dir.File("a.bin");
  WriteFileBytes(FileName, {1, 2, 3, 4, 5, 6});
  TFileStream Stream(FileName, TFileMode::OpenReadWrite);
  TFileCallsGuard Guard;
  static int Calls;
  Calls = 0;
  FileCalls().pread = [](int Handle, void* Buffer, unsigned long Count, long Offset) -> long {
    if (++Calls == 1) {
      errno = EINTR;
      return -1;
    }
    return ::pread(Handle, Buffer, Count > 2 ? 2 : Count, Offset);  // two bytes at a time
  };
  uint8_t Buffer[6] = {};
  EXPECT_EQ(Stream.Read(Buffer, 6), 6);
  EXPECT_EQ(Buffer[5], 6);

  FileCalls().pread = [](int, void*, unsigned long, long) -> long {
    errno = EIO;
    return -1;
  };
  Stream.Seek(0);
  EXPECT_EQ(MessageOf<EInOutError>([&] { Stream.Read(Buffer, 1); }),
            "Cannot read file " + FileName + ": Input/output error");

  Calls = 0;
  FileCalls().pwrite = [](int Handle, const void* Buffer, unsigned long, long Offset) -> long {
    if (++Calls == 3) {
      errno = ENOSPC;
      return -1;
    }
    return ::pwrite(Handle, Buffer, 1, Offset);
  };
  Stream.Seek(0);
  EXPECT_EQ(Stream.Write("abcd", 4), 2);  // the disk filled up after two bytes
  EXPECT_EQ(Stream.Position(), 2);
  Calls = 2;
  EXPECT_EQ(MessageOf<EInOutError>([&] { Stream.Write("e", 1); }),
            "Cannot write file " + FileName + ": No space left on device");

  Calls = 0;
  FileCalls().fsync = [](int Handle) -> int {
    if (++Calls == 1) {
      errno = EINTR;
      return -1;
    }
    return ::fsync(Handle);
  };
  EXPECT_NO_THROW(Stream.Flush());
  EXPECT_EQ(Calls, 2);

  ResetFileCalls();
  EXPECT_EQ(ReadFileBytes(FileName), (TBytes{'a', 'b', 3, 4, 5, 6}));
}

}  // namespace
