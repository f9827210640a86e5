#include "gl/PngPicture.h"
#include "runtime/OutputFiles.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>

#include "runtime/FileLayer.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/TempDir.h"

namespace {

TEST(PngPicture, RgbaPixelsReadBackUnchanged) {
  TempDir Dir;
  const std::vector<uint8_t> Pixels = {255, 0, 0, 255, 0,  255, 0,  128, 0,   0,   255, 0,
                                       1,   2, 3, 4,   10, 20,  30, 40,  250, 251, 252, 253};
  WritePng(Dir.File("a.png"), 3, 2, 4, Pixels);
  const TPngPicture Picture = ReadPng(Dir.File("a.png"));
  EXPECT_EQ(Picture.Width, 3);
  EXPECT_EQ(Picture.Height, 2);
  EXPECT_EQ(Picture.Rgba, Pixels);
}

TEST(PngPicture, RgbPixelsReadBackOpaque) {
  TempDir Dir;
  WritePng(Dir.File("b.png"), 1, 2, 3, {9, 8, 7, 6, 5, 4});
  const TPngPicture Picture = ReadPng(Dir.File("b.png"));
  EXPECT_EQ(Picture.Rgba, (std::vector<uint8_t>{9, 8, 7, 255, 6, 5, 4, 255}));
}

TEST(PngPicture, WrittenFilesAreRealPngs) {
  TempDir Dir;
  WritePng(Dir.File("c.png"), 2, 2, 4, std::vector<uint8_t>(16, 200));
  const std::vector<uint8_t> Bytes = ReadFileBytes(Dir.File("c.png"));
  ASSERT_GE(Bytes.size(), 8u);
  EXPECT_EQ(std::vector<uint8_t>(Bytes.begin(), Bytes.begin() + 8),
            (std::vector<uint8_t>{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}));
}

TEST(PngPicture, RefusesPicturesThatCannotBe) {
  TempDir Dir;
  const std::string F = Dir.File("d.png");
  EXPECT_EQ(MessageOf<EPngPicture>([&] { WritePng(F, 0, 2, 4, {}); }),
            "PngPicture: the picture size 0x2 is not positive");
  EXPECT_EQ(MessageOf<EPngPicture>([&] { WritePng(F, 2, 2, 2, std::vector<uint8_t>(8)); }),
            "PngPicture: a picture has 3 or 4 channels, not 2");
  EXPECT_EQ(MessageOf<EPngPicture>([&] { WritePng(F, 2, 2, 4, std::vector<uint8_t>(15)); }),
            "PngPicture: the pixel buffer holds 15 bytes, 2x2x4 needs 16");
  EXPECT_EQ(MessageOf<EPngPicture>([&] { WritePng(F, 0x40000000, 0x40000000, 4, {}); }),
            "PngPicture: the picture is too wide");
  EXPECT_FALSE(std::filesystem::exists(F));
}

TEST(PngPicture, FilesThatCannotBeMadeOrOpenedRaiseTheFileLayersErrors) {
  TempDir Dir;
  const std::string Missing = Dir.File("no/such/folder.png");
  EXPECT_EQ(MessageOf<EFCreateError>([&] { WritePng(Missing, 1, 1, 3, {1, 2, 3}); }), "Cannot create file " + Missing);
  EXPECT_EQ(MessageOf<EFOpenError>([&] { ReadPng(Missing); }), "Cannot open file " + Missing);
  const std::string Text = Dir.File("text.png");
  WriteFileBytes(Text, {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
  const std::string Message = MessageOf<EPngPicture>([&] { ReadPng(Text); });
  EXPECT_EQ(Message.rfind("PngPicture: " + Text + " is not a readable PNG file: ", 0), 0u) << Message;
}

// A disk that takes the first ten bytes of every file and then is full.
long TenBytesThenFull(int Handle, const void* Buffer, unsigned long Count, long Offset) {
  if (Offset >= 10) {
    errno = ENOSPC;
    return -1;
  }
  return ::pwrite(Handle, Buffer, std::min<unsigned long>(Count, 10 - static_cast<unsigned long>(Offset)), Offset);
}
int FailingFsync(int) {
  errno = EIO;
  return -1;
}

class PngOnAFailingDisk : public ::testing::Test {
protected:
  void TearDown() override { ResetFileCalls(); }
  TempDir Dir;
  const std::vector<uint8_t> Pixels = std::vector<uint8_t>(4 * 4 * 4, 99);
};

TEST_F(PngOnAFailingDisk, APictureTheDiskTakesOnlyInPartIsAnError) {
  WritePng(Dir.File("whole.png"), 4, 4, 4, Pixels);
  const size_t Whole = ReadFileBytes(Dir.File("whole.png")).size();
  FileCalls().pwrite = TenBytesThenFull;
  WriteFileBytes(Dir.File("part.png"), {'o', 'l', 'd'});
  EXPECT_EQ(MessageOf<EOutputFile>([&] { WritePng(Dir.File("part.png"), 4, 4, 4, Pixels); }),
            "Cannot write all of " + Dir.File("part.png") + " (10 of " + std::to_string(Whole) + " bytes)");
  // The old picture stays, and no part of the new one is left beside it.
  EXPECT_EQ(ReadFileBytes(Dir.File("part.png")), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()), {}), 2);
}

TEST_F(PngOnAFailingDisk, APictureThatCannotBeFlushedIsAnError) {
  FileCalls().fsync = FailingFsync;
  EXPECT_EQ(MessageOf<EInOutError>([&] { WritePng(Dir.File("g.png"), 4, 4, 4, Pixels); }),
            "Cannot flush file " + Dir.File("g.png") + ": Input/output error");
}

TEST(PngPicture, ATruncatedFileIsNotReadable) {
  TempDir Dir;
  WritePng(Dir.File("e.png"), 8, 8, 4, std::vector<uint8_t>(256, 7));
  std::vector<uint8_t> Bytes = ReadFileBytes(Dir.File("e.png"));
  Bytes.resize(Bytes.size() / 2);
  WriteFileBytes(Dir.File("f.png"), Bytes);
  const std::string Message = MessageOf<EPngPicture>([&] { ReadPng(Dir.File("f.png")); });
  EXPECT_EQ(Message.rfind("PngPicture: " + Dir.File("f.png") + " is not a readable PNG file: ", 0), 0u) << Message;
}

}  // namespace
