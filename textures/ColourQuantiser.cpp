#include "textures/ColourQuantiser.h"

#include <magick/api.h>

#include <mutex>
#include <string>

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
  return Result;
}
