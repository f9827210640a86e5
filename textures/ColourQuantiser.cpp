#include "textures/ColourQuantiser.h"

#include <magick/api.h>

#include <array>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

std::string Reason(const ExceptionInfo& Info) {
  std::string Text = Info.reason ? Info.reason : "no reason given";
  if (Info.description) Text += std::string(" (") + Info.description + ")";
  return Text;
}

struct TImageHandle {
  Image* Held = nullptr;
  ~TImageHandle() {
    if (Held) DestroyImage(Held);
  }
};

// The nearest entry of the first Colours of Palette to the colour RGB.
uint8_t Nearest(const TPalette& Palette, int32_t Colours, uint32_t Rgb) {
  const int R = int(Rgb >> 16), G = int(Rgb >> 8 & 255), B = int(Rgb & 255);
  int Best = 0, BestDistance = 1 << 30;
  for (int I = 0; I < Colours; ++I) {
    const int DR = Palette[size_t(I) * 3] - R, DG = Palette[size_t(I) * 3 + 1] - G, DB = Palette[size_t(I) * 3 + 2] - B;
    const int Distance = DR * DR + DG * DG + DB * DB;
    if (Distance < BestDistance) BestDistance = Distance, Best = I;
  }
  return uint8_t(Best);
}

// The quantiser's tree puts a pixel in the entry of its tree's cell, which
// is not always the nearest entry, and an entry at the centre of its cell
// rather than of the pixels it took. A few rounds of moving each entry to
// the mean of its pixels and giving each pixel its nearest entry lower the
// error; each round can only lower it.
void Refine(TQuantised& Result, const std::vector<uint8_t>& Rgb, int Rounds) {
  const size_t Pixels = Result.Indices.size();
  std::unordered_map<uint32_t, uint32_t> Counts;  // each colour of the picture, and how often it comes
  for (size_t I = 0; I < Pixels; ++I)
    ++Counts[uint32_t(Rgb[I * 3]) << 16 | uint32_t(Rgb[I * 3 + 1]) << 8 | Rgb[I * 3 + 2]];
  std::unordered_map<uint32_t, uint8_t> Entry;
  for (const auto& [Colour, Count] : Counts) Entry[Colour] = Nearest(Result.Palette, Result.Colours, Colour);
  for (int Round = 0; Round < Rounds; ++Round) {
    std::vector<std::array<double, 4>> Sums(size_t(Result.Colours), {0, 0, 0, 0});
    for (const auto& [Colour, Count] : Counts) {
      std::array<double, 4>& Sum = Sums[Entry[Colour]];
      Sum[0] += double(Colour >> 16) * Count;
      Sum[1] += double(Colour >> 8 & 255) * Count;
      Sum[2] += double(Colour & 255) * Count;
      Sum[3] += Count;
    }
    for (size_t I = 0; I < Sums.size(); ++I)
      if (Sums[I][3] > 0)
        for (size_t C = 0; C < 3; ++C) Result.Palette[I * 3 + C] = uint8_t(Sums[I][C] / Sums[I][3] + 0.5);
    for (auto& [Colour, Index] : Entry) Index = Nearest(Result.Palette, Result.Colours, Colour);
  }
  for (size_t I = 0; I < Pixels; ++I)
    Result.Indices[I] = Entry[uint32_t(Rgb[I * 3]) << 16 | uint32_t(Rgb[I * 3 + 1]) << 8 | Rgb[I * 3 + 2]];
}

}  // namespace

TQuantised QuantiseColours(int32_t Width, int32_t Height, const std::vector<uint8_t>& Rgb) {
  static std::once_flag Started;
  std::call_once(Started, [] { InitializeMagick(nullptr); });
  const size_t Pixels = size_t(Width) * size_t(Height);
  if (Width < 1 || Height < 1 || Rgb.size() < Pixels * 3)
    throw EColourQuantiser("The colour quantiser was given fewer pixels than its picture has");

  ExceptionInfo Errors;
  GetExceptionInfo(&Errors);
  TImageHandle Picture;
  Picture.Held = ConstituteImage(static_cast<unsigned long>(Width), static_cast<unsigned long>(Height), "RGB",
                                 CharPixel, Rgb.data(), &Errors);
  if (!Picture.Held) {
    const std::string Why = Reason(Errors);
    DestroyExceptionInfo(&Errors);
    throw EColourQuantiser("The colour quantiser cannot take the picture: " + Why);
  }
  QuantizeInfo Options;
  GetQuantizeInfo(&Options);
  Options.number_colors = 256;
  Options.dither = 0;
  // A tree of 16 steps a channel: deeper trees make the quantiser's pruning
  // take minutes on a grainy photograph, and the averaging that follows
  // settles the entries finer than any depth would.
  Options.tree_depth = 4;
  Options.colorspace = RGBColorspace;
  if (!QuantizeImage(&Options, Picture.Held) || Picture.Held->storage_class != PseudoClass ||
      Picture.Held->colors < 1 || Picture.Held->colors > 256) {
    const std::string Why = Reason(Picture.Held->exception);
    DestroyExceptionInfo(&Errors);
    throw EColourQuantiser("The colour quantiser failed: " + Why);
  }

  TQuantised Result;
  Result.Colours = int32_t(Picture.Held->colors);
  for (int32_t I = 0; I < Result.Colours; ++I) {
    const PixelPacket& Entry = Picture.Held->colormap[I];
    Result.Palette[size_t(I) * 3] = ScaleQuantumToChar(Entry.red);
    Result.Palette[size_t(I) * 3 + 1] = ScaleQuantumToChar(Entry.green);
    Result.Palette[size_t(I) * 3 + 2] = ScaleQuantumToChar(Entry.blue);
  }
  Result.Indices.resize(Pixels);
  for (int32_t Y = 0; Y < Height; ++Y) {
    const PixelPacket* Row = AcquireImagePixels(Picture.Held, 0, Y, static_cast<unsigned long>(Width), 1, &Errors);
    const IndexPacket* Indexes = Row ? AccessImmutableIndexes(Picture.Held) : nullptr;
    if (!Indexes) {
      const std::string Why = Reason(Errors);
      DestroyExceptionInfo(&Errors);
      throw EColourQuantiser("The colour quantiser's result cannot be read: " + Why);
    }
    for (int32_t X = 0; X < Width; ++X) {
      const IndexPacket Index = Indexes[X];
      Result.Indices[size_t(Y) * size_t(Width) + size_t(X)] = uint8_t(Index < Result.Colours ? Index : 0);
    }
  }
  DestroyExceptionInfo(&Errors);
  Refine(Result, Rgb, 4);
  return Result;
}
