#include "textures/MatConversion.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <unordered_map>

#include "gl/PngPicture.h"
#include "model/SampleTextures.h"
#include "runtime/FileLayer.h"
#include "runtime/OutputFiles.h"
#include "textures/ColourQuantiser.h"

namespace {

uint32_t ColourAt(const std::vector<uint8_t>& Rgb, size_t Pixel) {
  return uint32_t(Rgb[Pixel * 3]) << 16 | uint32_t(Rgb[Pixel * 3 + 1]) << 8 | Rgb[Pixel * 3 + 2];
}

// The picture's colours in RGB order, when there are 256 or fewer.
bool FewColours(const TRgbPicture& Picture, std::vector<uint32_t>& Colours) {
  std::unordered_map<uint32_t, bool> Seen;
  const size_t Pixels = Picture.Rgb.size() / 3;
  uint32_t Last = 0xFFFFFFFF;
  for (size_t I = 0; I < Pixels; ++I) {
    const uint32_t Colour = ColourAt(Picture.Rgb, I);
    if (Colour == Last) continue;
    Last = Colour;
    if (Seen.emplace(Colour, true).second && Seen.size() > 256) return false;
  }
  Colours.clear();
  for (const auto& Entry : Seen) Colours.push_back(Entry.first);
  std::sort(Colours.begin(), Colours.end());
  return true;
}

bool EndsWith(const std::string& Name, const char* Extension) {
  std::string Lower = Name;
  std::transform(Lower.begin(), Lower.end(), Lower.begin(), [](unsigned char C) { return char(std::tolower(C)); });
  const std::string Tail = Extension;
  return Lower.size() > Tail.size() && Lower.compare(Lower.size() - Tail.size(), Tail.size(), Tail) == 0;
}

bool IsIffFile(const std::string& FileName) {
  if (!FileExists(FileName)) return false;
  TFileStream Stream(FileName, TFileMode::OpenRead);
  char Head[4] = {};
  return Stream.Read(Head, 4) == 4 && std::equal(Head, Head + 4, "FORM");
}

std::string Decibels(double Value) {
  char Text[32];
  std::snprintf(Text, sizeof Text, "%.2f", Value);
  return Text;
}

}  // namespace

TMatPicture MatPictureOf(const TRgbPicture& Picture) {
  TMatPicture Texture;
  Texture.Width = Picture.Width;
  Texture.Height = Picture.Height;
  const size_t Pixels = size_t(Picture.Width) * size_t(Picture.Height);
  if (Picture.Width < 1 || Picture.Height < 1 || Picture.Rgb.size() != Pixels * 3)
    throw EMatConversion("A texture is made from a picture of at least one pixel, whole");
  std::vector<uint32_t> Colours;
  if (FewColours(Picture, Colours)) {
    Texture.Exact = true;
    Texture.Psnr = std::numeric_limits<double>::infinity();
    Texture.Colours = int32_t(Colours.size());
    std::unordered_map<uint32_t, uint8_t> IndexOf;
    for (size_t I = 0; I < Colours.size(); ++I) {
      IndexOf[Colours[I]] = uint8_t(I);
      Texture.Palette[I * 3] = uint8_t(Colours[I] >> 16);
      Texture.Palette[I * 3 + 1] = uint8_t(Colours[I] >> 8);
      Texture.Palette[I * 3 + 2] = uint8_t(Colours[I]);
    }
    Texture.Indices.resize(Pixels);
    for (size_t I = 0; I < Pixels; ++I) Texture.Indices[I] = IndexOf[ColourAt(Picture.Rgb, I)];
    return Texture;
  }
  TQuantised Quantised = QuantiseColours(Picture.Width, Picture.Height, Picture.Rgb);
  Texture.Palette = Quantised.Palette;
  Texture.Colours = Quantised.Colours;
  Texture.Indices = std::move(Quantised.Indices);
  Texture.Psnr = PeakSignalToNoise(Picture.Rgb, PaletteToRGB(Texture.Palette, Texture.Indices.data(), Pixels));
  return Texture;
}

std::vector<uint8_t> MatFileOf(const TMatPicture& Texture) {
  return MatFileBytes(Texture.Width, Texture.Height, Texture.Palette, Texture.Indices);
}

std::string ConversionNotes(const std::string& Name, const TRgbPicture& Picture, const TMatPicture& Texture) {
  std::string Said;
  if (Picture.Transparent) Said += Name + ": transparency dropped: a texture has none\n";
  if (Texture.Exact)
    Said += Name + ": " + std::to_string(Texture.Colours) + (Texture.Colours == 1 ? " colour" : " colours") +
            ", converted exactly\n";
  else
    Said += Name + ": more than 256 colours; " + std::to_string(Texture.Colours) + " chosen, PSNR " +
            Decibels(Texture.Psnr) + " dB against the picture\n";
  return Said;
}

double PeakSignalToNoise(const std::vector<uint8_t>& A, const std::vector<uint8_t>& B) {
  if (A.size() != B.size() || A.empty()) throw EMatConversion("Pictures of different sizes have no PSNR");
  double Sum = 0;
  for (size_t I = 0; I < A.size(); ++I) {
    const double D = double(A[I]) - double(B[I]);
    Sum += D * D;
  }
  if (Sum == 0) return std::numeric_limits<double>::infinity();
  return 10 * std::log10(255.0 * 255.0 / (Sum / double(A.size())));
}

void ConvertTexture(const std::string& In, const std::string& Out, std::ostream& Notes) {
  const bool FromTexture = IsIffFile(In);
  if (FromTexture && !EndsWith(Out, ".png"))
    throw EMatConversion(Out + ": a texture is written out as a PNG picture, whose name ends in .png");
  if (!FromTexture && !EndsWith(Out, ".mat"))
    throw EMatConversion(Out + ": a picture is written as a texture, whose name ends in .mat");
  TOutputFiles Files({Out}, In);
  std::vector<uint8_t> Bytes;
  std::string Said;
  if (FromTexture) {
    TZorvTexture Texture;
    const std::vector<uint8_t> Rgb = Texture.ReadFromFile(In, 0);
    CheckPictureSize(In, Texture.Width, Texture.Height, AvailableMemory());
    Bytes = EncodePng(Texture.Width, Texture.Height, 3, Rgb);
  } else {
    const TRgbPicture Picture = ReadPicture(In);
    const TMatPicture Texture = MatPictureOf(Picture);
    Bytes = MatFileOf(Texture);
    Said = ConversionNotes(In, Picture, Texture);
  }
  Files.Write(Out, Bytes.data(), Bytes.size());
  Files.Commit();
  Notes << Said;
}
