// Textures made from pictures and pictures from textures: exact for 256
// colours or fewer, measured otherwise, and every picture that cannot be
// taken refused with its reason.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "gl/PngPicture.h"
#include "model/ZorvTextures.h"
#include "tests/support/TempDir.h"
#include "tests/textures/JpegWriter.h"
#include "textures/MatConversion.h"

namespace {

TRgbPicture Picture(int32_t Width, int32_t Height, uint32_t (*Colour)(int, int)) {
  TRgbPicture Result;
  Result.Width = Width;
  Result.Height = Height;
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) {
      const uint32_t C = Colour(X, Y);
      Result.Rgb.insert(Result.Rgb.end(), {uint8_t(C >> 16), uint8_t(C >> 8), uint8_t(C)});
    }
  return Result;
}

// Sixteen squares of sixteen colours.
TRgbPicture Sixteen() {
  return Picture(64, 64, [](int X, int Y) {
    const uint32_t I = uint32_t(X / 16 + 4 * (Y / 16));
    return I * 16 << 16 | (255 - I * 16) << 8 | (I * 37 % 256);
  });
}

// Smooth shading with a fine grain, as a photograph of a surface has.
TRgbPicture PhotoLike(int Side) {
  TRgbPicture Result;
  Result.Width = Result.Height = Side;
  std::mt19937 Random(7);
  std::normal_distribution<double> Grain(0, 3);
  for (int Y = 0; Y < Side; ++Y)
    for (int X = 0; X < Side; ++X) {
      const double U = double(X) / Side, V = double(Y) / Side;
      const double Values[3] = {128 + 100 * std::sin(9 * U) * std::cos(6 * V), 120 + 90 * std::sin(7 * (U + V)),
                                110 + 80 * std::cos(11 * U * V + 2 * V)};
      for (double Value : Values) Result.Rgb.push_back(uint8_t(std::clamp(Value + Grain(Random), 0.0, 255.0)));
    }
  return Result;
}

std::string Refusal(const std::string& In, const std::string& Out) {
  std::ostringstream Notes;
  const bool Existed = std::filesystem::exists(Out);
  try {
    ConvertTexture(In, Out, Notes);
  } catch (const Exception& E) {
    EXPECT_EQ(std::filesystem::exists(Out), Existed) << Out;
    EXPECT_EQ(Notes.str(), "");
    return E.Message();
  }
  return "converted";
}

TEST(TextureConversion, SixteenColoursGoThereAndBackExactly) {
  TempDir Dir;
  const TRgbPicture Source = Sixteen();
  WriteFileBytes(Dir.File("in.png"), EncodePng(Source.Width, Source.Height, 3, Source.Rgb));
  std::ostringstream Notes;
  ConvertTexture(Dir.File("in.png"), Dir.File("t.mat"), Notes);
  EXPECT_EQ(Notes.str(), Dir.File("in.png") + ": 16 colours, converted exactly\n");
  TZorvTexture Texture;
  EXPECT_EQ(Texture.ReadFromFile(Dir.File("t.mat"), 1), Source.Rgb);  // as the texture reader reads it
  ConvertTexture(Dir.File("t.mat"), Dir.File("back.png"), Notes);
  const TPngPicture Back = ReadPng(Dir.File("back.png"));
  ASSERT_EQ(Back.Width * Back.Height, Source.Width * Source.Height);
  for (size_t I = 0; I < Source.Rgb.size() / 3; ++I)
    for (size_t C = 0; C < 3; ++C) ASSERT_EQ(Back.Rgba[I * 4 + C], Source.Rgb[I * 3 + C]);
}

TEST(TextureConversion, APhotoLikePictureKeepsThirtyDecibels) {
  const TRgbPicture Source = PhotoLike(256);
  const TMatPicture Texture = MatPictureOf(Source);
  EXPECT_FALSE(Texture.Exact);
  EXPECT_LE(Texture.Colours, 256);
  EXPECT_GE(Texture.Psnr, 30.0);
  EXPECT_EQ(Texture.Psnr, PeakSignalToNoise(Source.Rgb, PaletteToRGB(Texture.Palette, Texture.Indices.data(),
                                                                     Texture.Indices.size())));
}

TEST(TextureConversion, AJpegPictureIsRead) {
  TempDir Dir;
  const TRgbPicture Source = PhotoLike(64);
  WriteFileBytes(Dir.File("in.jpg"), JpegBytes(Source.Width, Source.Height, Source.Rgb, 95));
  const TRgbPicture Read = ReadPicture(Dir.File("in.jpg"));
  ASSERT_EQ(Read.Width, 64);
  ASSERT_EQ(Read.Height, 64);
  EXPECT_GE(PeakSignalToNoise(Source.Rgb, Read.Rgb), 30.0);
}

TEST(TextureConversion, PicturesThatCannotBeTakenAreRefused) {
  TempDir Dir;
  const TRgbPicture Small = Sixteen();
  const std::vector<uint8_t> Png = EncodePng(Small.Width, Small.Height, 3, Small.Rgb);
  const std::vector<uint8_t> Jpeg = JpegBytes(Small.Width, Small.Height, Small.Rgb, 90);
  const auto File = [&](const std::string& Name, const std::vector<uint8_t>& Bytes) {
    WriteFileBytes(Dir.File(Name), Bytes);
    return Dir.File(Name);
  };
  const std::string Text = File("text.png", {'h', 'e', 'l', 'l', 'o'});
  const std::string CutPng = File("cut.png", std::vector<uint8_t>(Png.begin(), Png.begin() + 100));
  const std::string CutJpeg = File("cut.jpg", std::vector<uint8_t>(Jpeg.begin(), Jpeg.begin() + 300));
  const std::string Wide = File("wide.png", EncodePng(16385, 1, 3, std::vector<uint8_t>(16385 * 3)));
  const std::string High = File("high.png", EncodePng(1, 16385, 3, std::vector<uint8_t>(16385 * 3)));
  const std::string Good = File("good.png", Png);
  const std::string Out = Dir.File("out.mat");
  struct TCase {
    std::string In, Out, Message;
  };
  const TCase Cases[] = {
      {Text, Out, Text + " is not a PNG or JPEG picture"},
      {Dir.File("none.png"), Out, Dir.File("none.png") + " not found!"},
      {CutPng, Out, CutPng + " is not a PNG picture that can be read (read beyond end of data)"},
      {CutJpeg, Out, CutJpeg + " is not a JPEG picture that can be read (Premature end of JPEG file)"},
      {Wide, Out, Wide + " is wider (16385 x 1 pixels) than the 16384 pixels a texture can have"},
      {High, Out, High + " is higher (1 x 16385 pixels) than the 16384 pixels a texture can have"},
      {Good, Dir.File("out.png"), Dir.File("out.png") + ": a picture is written as a texture, whose name ends in .mat"},
      {Good, Good, Good + ": a picture is written as a texture, whose name ends in .mat"},
      {Good, Dir.File(""), Dir.File("") + ": a picture is written as a texture, whose name ends in .mat"},
  };
  for (const TCase& Case : Cases) EXPECT_EQ(Refusal(Case.In, Case.Out), Case.Message);

  try {
    CheckPictureSize("big.png", 10000, 10000, int64_t(1) << 30);
    ADD_FAILURE();
  } catch (const EPictureFile& E) {
    EXPECT_EQ(E.Message(),
              "big.png has 10000 x 10000 pixels, whose conversion needs 2002 MiB, more than the 1024 MiB "
              "of memory free");
  }
}

TEST(TextureConversion, DamagedTexturesAreRefused) {
  TempDir Dir;
  const TRgbPicture Small = Sixteen();
  WriteFileBytes(Dir.File("in.png"), EncodePng(Small.Width, Small.Height, 3, Small.Rgb));
  std::ostringstream Notes;
  ConvertTexture(Dir.File("in.png"), Dir.File("t.mat"), Notes);
  std::vector<uint8_t> Mat = ReadFileBytes(Dir.File("t.mat"));
  Mat.resize(Mat.size() - 10);
  WriteFileBytes(Dir.File("cut.mat"), Mat);
  EXPECT_EQ(Refusal(Dir.File("t.mat"), Dir.File("out.mat")),
            Dir.File("out.mat") + ": a texture is written out as a PNG picture, whose name ends in .png");
  EXPECT_NE(Refusal(Dir.File("cut.mat"), Dir.File("out.png")), "converted");
}

}  // namespace
