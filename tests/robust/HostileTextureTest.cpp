// Damaged and forged ".mat" files: sizes that are not positive or whose
// product overflows, pixel and palette chunks cut short. Each is refused with
// its exact error or read soundly, without OpenGL, within the memory bound.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "model/SampleModel.h"
#include "model/ZorvTextures.h"
#include "tests/robust/Bounded.h"
#include "tests/support/IffBytes.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int64_t MemoryBound = 256 << 20;

TPalette Ramp() {
  TPalette Palette{};
  for (size_t I = 0; I < Palette.size(); ++I) Palette[I] = uint8_t(I / 3 + I % 3);
  return Palette;
}

TBytes MatFile(const TBytes& Info, const TBytes& Cmap, const TBytes& Pxls) {
  return Form("MATR", Form("FRAM", Chunk("INFO", Info) + Form("PAL ", Chunk("CMAP", Cmap)) + Chunk("PXLS", Pxls)));
}

class HostileTexture : public ::testing::Test {
protected:
  // Reads File as texture 7; the size and the number of pixels delivered,
  // with the first and last RGB triple, or "raised: " + the error.
  std::string Read() {
    return bounded::Describe(bounded::RunBounded(MemoryBound, [&] {
      TZorvTexture Texture;
      const std::vector<uint8_t> Rgb = Texture.ReadFromFile(File, 7);
      auto Triple = [&](size_t I) {
        return std::to_string(Rgb[I]) + "," + std::to_string(Rgb[I + 1]) + "," + std::to_string(Rgb[I + 2]);
      };
      return std::to_string(Texture.Width) + "x" + std::to_string(Texture.Height) + " " +
             std::to_string(Rgb.size() / 3) + " " + Triple(0) + " " + Triple(Rgb.size() - 3);
    }));
  }
  std::string ReadWritten(int32_t Width, int32_t Height, size_t Pixels) {
    WriteMatFile(File, Width, Height, Ramp(), std::vector<uint8_t>(Pixels, 2));
    return Read();
  }
  std::string BadSize(int32_t Width, int32_t Height) {
    return "raised: TZorvTexture: " + File + " has an invalid size of " + std::to_string(Width) + " x " +
           std::to_string(Height) + " pixels!";
  }

  TempDir Dir;
  const std::string File = Dir.File("00000007.mat");
};

TEST_F(HostileTexture, SizesThatAreNotPositiveOrOverflowAreRefused) {
  EXPECT_EQ(ReadWritten(2, 2, 4), "2x2 4 2,3,4 2,3,4");
  for (auto [Width, Height] :
       {std::pair{0, 4}, {4, 0}, {-1, 4}, {4, -2147483647 - 1}, {65536, 32768}, {46341, 46341}, {-65536, -65536}}) {
    SCOPED_TRACE(std::to_string(Width) + " x " + std::to_string(Height));
    EXPECT_EQ(ReadWritten(Width, Height, 16), BadSize(Width, Height));
  }
}

TEST_F(HostileTexture, ALargeSizeOverATinyFileAllocatesNothing) {
  EXPECT_EQ(ReadWritten(40000, 50000, 6),
            "raised: TZorvTexture: " + File + " holds 6 pixels, fewer than 40000 x 50000!");
  // A forged pixel chunk size over a file that holds six bytes.
  WriteFileBytes(File,
                 Form("MATR", Form("FRAM", Chunk("INFO", Ints({3, 3})) + Form("PAL ", Chunk("CMAP", TBytes(768, 1))) +
                                               Header("PXLS", 0x7FFFF000) + TBytes(6, 0))));
  EXPECT_EQ(Read(), "raised: TZorvTexture: " + File + " holds 6 pixels, fewer than 3 x 3!");
}

TEST_F(HostileTexture, PixelsOneShortAreRefused) {
  EXPECT_EQ(ReadWritten(3, 3, 8), "raised: TZorvTexture: " + File + " holds 8 pixels, fewer than 3 x 3!");
  EXPECT_EQ(ReadWritten(3, 3, 0), "raised: TZorvTexture: " + File + " holds 0 pixels, fewer than 3 x 3!");
  // Nine bytes and the pad: the nine pixels read, the pad byte not.
  EXPECT_EQ(ReadWritten(3, 3, 9), "3x3 9 2,3,4 2,3,4");
}

TEST_F(HostileTexture, APixelChunkLongerThanTheSizeIsReadForTheSizeOnly) {
  // One pixel, then a chunk running on for more than the memory bound (a
  // sparse file: the bytes past the first are never written).
  constexpr uint32_t Pxls = 300u << 20;
  const TBytes Fram = Chunk("INFO", Ints({1, 1})) + Form("PAL ", Chunk("CMAP", TBytes(768, 9))) + Header("PXLS", Pxls);
  const TBytes Head = FormHeader("MATR", uint32_t(4 + 12 + Fram.size() + Pxls)) +
                      FormHeader("FRAM", uint32_t(4 + Fram.size() + Pxls)) + Fram + TBytes{1};
  WriteFileBytes(File, Head);
  std::filesystem::resize_file(File, Head.size() - 1 + Pxls);
  EXPECT_EQ(Read(), "1x1 1 9,9,9 9,9,9");
}

TEST_F(HostileTexture, APaletteCutShortIsReadToTheChunksEnd) {
  const TPalette Palette = Ramp();
  TBytes Cmap(Palette.begin(), Palette.end());
  // 767 bytes are 768 with the pad byte: the last blue is that zero byte.
  Cmap.resize(767);
  WriteFileBytes(File, MatFile(Ints({1, 2}), Cmap, {255, 0}));
  EXPECT_EQ(Read(), "1x2 2 255,0,0 0,1,2");
}

TEST_F(HostileTexture, ItemsCutShortOrMissingRaiseTheReadersErrors) {
  const TBytes Cmap(768, 5);
  WriteFileBytes(File, MatFile(Ints({1, 2}), TBytes(766, 5), {0, 0}));
  EXPECT_EQ(Read(), "raised: TIffReader: Read beyond end of chunk!");
  WriteFileBytes(File, MatFile(Ints({1}) + Text("ab"), Cmap, {0, 0}));
  EXPECT_EQ(Read(), "raised: TIffReader: Read beyond end of chunk!");
  WriteFileBytes(File, Form("MATR", Form("FRAM", Chunk("INFO", Ints({1, 1})) + Chunk("PXLS", {0, 0}))));
  EXPECT_EQ(Read(), "raised: TIffReader: Form (PAL ) doesn't exist!");
  WriteFileBytes(File, Form("MATR", Chunk("INFO", Ints({1, 1}))));
  EXPECT_EQ(Read(), "raised: TIffReader: Form (FRAM) doesn't exist!");
  // The INFO chunk's header claims bytes the file does not have.
  WriteFileBytes(File, Form("MATR", Form("FRAM", Header("INFO", 8) + Ints({1}))));
  EXPECT_EQ(Read(), "raised: TZorvTexture: " + File + " ends inside chunk (INFO)!");
}

}  // namespace
