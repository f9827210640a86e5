// Material textures: file names, palette conversion, the cache, refused
// files, and the upload as OpenGL sees it.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "gl/HeadlessContext.h"
#include "model/SampleModel.h"
#include "model/ZorvTextures.h"
#include "tests/model/ModelFixtures.h"
#include "tests/support/ErrorMessage.h"

using namespace ModelFixtures;

namespace {

// Entry i is (i, 255 - i, i / 2).
TPalette RampPalette() {
  TPalette Palette{};
  for (int I = 0; I < 256; ++I) {
    Palette[size_t(I) * 3] = uint8_t(I);
    Palette[size_t(I) * 3 + 1] = uint8_t(255 - I);
    Palette[size_t(I) * 3 + 2] = uint8_t(I / 2);
  }
  return Palette;
}

TEST(TextureNames, AreEightDigitsWithTheMinusSignKept) {
  EXPECT_EQ(TextureFileName("", 1234), "00001234.mat");
  EXPECT_EQ(TextureFileName("", 0), "00000000.mat");
  EXPECT_EQ(TextureFileName("", 9999999), "09999999.mat");
  EXPECT_EQ(TextureFileName("", -5), "-00000005.mat");
  EXPECT_EQ(TextureFileName("", -2147483647 - 1), "-2147483648.mat");
  EXPECT_EQ(TextureFileName("mats/", 7), "mats/00000007.mat");
}

TEST(TexturePalette, EachIndexBecomesItsEntrysThreeBytes) {
  const uint8_t Indices[] = {0, 255, 10};
  EXPECT_EQ(PaletteToRGB(RampPalette(), Indices, 3), (std::vector<uint8_t>{0, 255, 0, 255, 0, 127, 10, 245, 5}));
}

class Textures : public testing::Test {
protected:
  THeadlessGL Context{16, 16};
  TempDir Dir;
  TZorvTextures List;
  void SetUp() override { List.Path = Dir.Path().string() + "/"; }
  std::string MatFile(int32_t Number) { return TextureFileName(List.Path, Number); }

  std::string RefusalOf(int32_t Number) {
    return MessageOf([&] { List.GetTexture(Number); });
  }

  // The texture bound on GL_TEXTURE_2D, as RGB bytes with packed rows.
  std::vector<uint8_t> BoundImage(int Width, int Height) {
    std::vector<uint8_t> Pixels(size_t(Width) * size_t(Height) * 3, 0xEE);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, Pixels.data());
    return Pixels;
  }
};

TEST_F(Textures, NumbersAboveNineNinesMeanNoneAndBindNothing) {
  glBindTexture(GL_TEXTURE_2D, 42);
  EXPECT_EQ(List.GetTexture(10000000), nullptr);
  GLint Bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &Bound);
  EXPECT_EQ(Bound, 42);
  EXPECT_TRUE(List.Numbers.empty());
}

TEST_F(Textures, ATextureIsLoadedOnceUploadedUnderANameOfItsOwnAndBound) {
  // Width 3: RGB rows of 9 bytes, not a multiple of 4.
  WriteMatFile(MatFile(1234), 3, 2, RampPalette(), {1, 2, 3, 4, 5, 6});
  TZorvTexture* Texture = List.GetTexture(1234);
  ASSERT_NE(Texture, nullptr);
  ASSERT_NE(Texture->TexName, 0u);
  EXPECT_TRUE(glIsTexture(Texture->TexName));
  EXPECT_EQ(Texture->Width, 3);
  EXPECT_EQ(Texture->Height, 2);
  EXPECT_EQ(Texture->FileName, MatFile(1234));
  GLint Bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &Bound);
  EXPECT_EQ(GLuint(Bound), Texture->TexName);
  const uint8_t Indices[] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(BoundImage(3, 2), PaletteToRGB(RampPalette(), Indices, 6));
  GLint Filter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &Filter);
  EXPECT_EQ(Filter, GL_LINEAR);
  GLint Alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &Alignment);
  EXPECT_EQ(Alignment, 4);  // left as it was

  std::filesystem::remove(MatFile(1234));
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_EQ(List.GetTexture(1234), Texture);  // from the cache, bound again
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &Bound);
  EXPECT_EQ(GLuint(Bound), Texture->TexName);
  EXPECT_EQ(List.Numbers, (std::vector<int32_t>{1234}));
}

TEST_F(Textures, TexturesLeaveOtherNamesAndTheDefaultTextureAlone) {
  // A texture someone else made first (a kept picture, the toolkit's
  // frame) under a name that is also a texture number.
  GLuint Other = 0;
  glGenTextures(1, &Other);
  glBindTexture(GL_TEXTURE_2D, Other);
  const uint8_t Red[3] = {255, 0, 0};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, Red);
  for (int32_t Number : {int32_t(Other), 0}) WriteMatFile(MatFile(Number), 2, 1, RampPalette(), {7, 8});
  const TZorvTexture* Same = List.GetTexture(int32_t(Other));
  const TZorvTexture* Zero = List.GetTexture(0);
  ASSERT_NE(Same, nullptr);
  ASSERT_NE(Zero, nullptr);
  EXPECT_NE(Same->TexName, Other);
  EXPECT_NE(Zero->TexName, 0u);
  EXPECT_NE(Zero->TexName, Same->TexName);
  glBindTexture(GL_TEXTURE_2D, Other);
  EXPECT_EQ(BoundImage(1, 1), (std::vector<uint8_t>{255, 0, 0}));
  glBindTexture(GL_TEXTURE_2D, 0);
  GLint Width = -1;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &Width);
  EXPECT_EQ(Width, 0) << "the default texture stays empty";
  glDeleteTextures(1, &Other);
}

TEST_F(Textures, AnOddPixelChunkConvertsItsPadByteWhichTheUploadLeavesUnused) {
  WriteMatFile(MatFile(5), 3, 1, RampPalette(), {7, 8, 9});
  ASSERT_NE(List.GetTexture(5), nullptr);
  const uint8_t Indices[] = {7, 8, 9};
  EXPECT_EQ(BoundImage(3, 1), PaletteToRGB(RampPalette(), Indices, 3));
}

TEST_F(Textures, AMissingFileIsNotFoundAndNotCachedSoTheNextRequestTriesAgain) {
  EXPECT_EQ(RefusalOf(7), MatFile(7) + " not found!");
  EXPECT_TRUE(List.Textures.empty());
  WriteMatFile(MatFile(7), 1, 1, RampPalette(), {200});
  EXPECT_NE(List.GetTexture(7), nullptr);
}

TEST_F(Textures, MalformedFilesRaiseTheReadersErrors) {
  const std::string NoPalette = MatFile(1);
  // "INFO" holds 1 x 1 as two little-endian int32 values.
  WriteFile(NoPalette, "MATR", [](TIffWriter& W) {
    Form(W, "FRAM", [](TIffWriter& F) {
      RawChunk(F, "INFO", {1, 0, 0, 0, 1, 0, 0, 0});
      RawChunk(F, "PXLS", {0});
    });
  });
  EXPECT_EQ(RefusalOf(1), "TIffReader: Form (PAL ) doesn't exist!");
  const std::string ShortMap = MatFile(2);
  WriteFile(ShortMap, "MATR", [](TIffWriter& W) {
    Form(W, "FRAM", [](TIffWriter& F) {
      RawChunk(F, "INFO", {1, 0, 0, 0, 1, 0, 0, 0});
      Form(F, "PAL ", [](TIffWriter& P) { RawChunk(P, "CMAP", std::vector<uint8_t>(766)); });
      RawChunk(F, "PXLS", {0});
    });
  });
  // 767 bytes would pass: the pad byte makes them 768.
  EXPECT_EQ(RefusalOf(2), "TIffReader: Read beyond end of chunk!");
  const std::string ShortInfo = MatFile(3);
  WriteFile(ShortInfo, "MATR", [](TIffWriter& W) {
    Form(W, "FRAM", [](TIffWriter& F) { RawChunk(F, "INFO", {1, 0, 0, 0}); });
  });
  EXPECT_EQ(RefusalOf(3), "TIffReader: Read beyond end of chunk!");
  EXPECT_TRUE(List.Numbers.empty());
}

TEST_F(Textures, SizesThatCannotHoldAPictureAndShortPixelChunksAreRefused) {
  const TPalette Palette = RampPalette();
  WriteMatFile(MatFile(10), 0, 4, Palette, {});
  EXPECT_EQ(RefusalOf(10), "TZorvTexture: " + MatFile(10) + " has an invalid size of 0 x 4 pixels!");
  WriteMatFile(MatFile(11), 4, -2, Palette, {});
  EXPECT_EQ(RefusalOf(11), "TZorvTexture: " + MatFile(11) + " has an invalid size of 4 x -2 pixels!");
  WriteMatFile(MatFile(12), 65536, 65536, Palette, {});
  EXPECT_EQ(RefusalOf(12), "TZorvTexture: " + MatFile(12) + " has an invalid size of 65536 x 65536 pixels!");
  WriteMatFile(MatFile(13), 4, 4, Palette, std::vector<uint8_t>(14));
  EXPECT_EQ(RefusalOf(13), "TZorvTexture: " + MatFile(13) + " holds 14 pixels, fewer than 4 x 4!");
  EXPECT_TRUE(List.Numbers.empty());
}

TEST_F(Textures, APixelChunkSizeBeyondTheFileIsRefusedWithoutAllocatingIt) {
  WriteMatFile(MatFile(14), 4, 4, RampPalette(), std::vector<uint8_t>(16));
  const int32_t Pixels = ChunkOffset(MatFile(14), {"FRAM"}, "PXLS");
  PatchBigEndian(MatFile(14), Pixels + 4, 0x10000000);
  WriteMatFile(MatFile(15), 1024, 1024, RampPalette(), std::vector<uint8_t>(16));
  EXPECT_EQ(RefusalOf(15), "TZorvTexture: " + MatFile(15) + " holds 16 pixels, fewer than 1024 x 1024!");
  EXPECT_NE(List.GetTexture(14), nullptr);  // what the file holds suffices
}

TEST_F(Textures, ANegativeNumberIsLookedUpWithItsMinusSign) {
  WriteMatFile(Dir.File("-00000003.mat"), 1, 1, RampPalette(), {9});
  EXPECT_NE(List.GetTexture(-3), nullptr);
}

}  // namespace
