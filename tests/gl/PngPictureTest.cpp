#include "gl/PngPicture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "tests/support/TempDir.h"

namespace {

std::string PngErrorOf(const std::function<void()>& Operation) {
  try {
    Operation();
  } catch (const EPngPicture& Error) {
    return Error.Message();
  }
  return "(nothing raised)";
}

TEST(PngPicture, RgbaPixelsReadBackUnchanged) {
  TempDir Dir;
  const std::vector<uint8_t> Pixels = {255, 0,  0,  255, 0,  255, 0,  128, 0, 0, 255, 0,
                                       1,   2,  3,  4,   10, 20,  30, 40,  250, 251, 252, 253};
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
  EXPECT_EQ(PngErrorOf([&] { WritePng(F, 0, 2, 4, {}); }), "PngPicture: the picture size 0x2 is not positive");
  EXPECT_EQ(PngErrorOf([&] { WritePng(F, 2, 2, 2, std::vector<uint8_t>(8)); }),
            "PngPicture: a picture has 3 or 4 channels, not 2");
  EXPECT_EQ(PngErrorOf([&] { WritePng(F, 2, 2, 4, std::vector<uint8_t>(15)); }),
            "PngPicture: the pixel buffer holds 15 bytes, 2x2x4 needs 16");
  EXPECT_EQ(PngErrorOf([&] { WritePng(F, 0x40000000, 0x40000000, 4, {}); }),
            "PngPicture: the picture is too wide");
  EXPECT_FALSE(std::filesystem::exists(F));
}

TEST(PngPicture, ReportsFilesThatCannotBeWrittenOrRead) {
  TempDir Dir;
  const std::string Missing = Dir.File("no/such/folder.png");
  EXPECT_EQ(PngErrorOf([&] { WritePng(Missing, 1, 1, 3, {1, 2, 3}); }),
            "PngPicture: cannot create " + Missing + ": No such file or directory");
  EXPECT_EQ(PngErrorOf([&] { ReadPng(Missing); }),
            "PngPicture: cannot open " + Missing + ": No such file or directory");
  const std::string Text = Dir.File("text.png");
  WriteFileBytes(Text, {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
  const std::string Message = PngErrorOf([&] { ReadPng(Text); });
  EXPECT_EQ(Message.rfind("PngPicture: " + Text + " is not a readable PNG file: ", 0), 0u) << Message;
}

TEST(PngPicture, ATruncatedFileIsNotReadable) {
  TempDir Dir;
  WritePng(Dir.File("e.png"), 8, 8, 4, std::vector<uint8_t>(256, 7));
  std::vector<uint8_t> Bytes = ReadFileBytes(Dir.File("e.png"));
  Bytes.resize(Bytes.size() / 2);
  WriteFileBytes(Dir.File("f.png"), Bytes);
  const std::string Message = PngErrorOf([&] { ReadPng(Dir.File("f.png")); });
  EXPECT_EQ(Message.rfind("PngPicture: " + Dir.File("f.png") + " is not a readable PNG file: ", 0), 0u)
      << Message;
}

}  // namespace
