// Reads the input as a ".mat" material file and converts its palette image,
// without OpenGL: a texture is either refused with an error or delivers at
// least width x height RGB pixels, each a palette entry.
#include <cstdint>
#include <string>

#include "fuzz/FuzzFile.h"
#include "model/ZorvTextures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static TFuzzFile File;
  const std::string& Name = File.Hold(Data, Size);
  TZorvTexture Texture;
  try {
    const std::vector<uint8_t> Pixels = Texture.ReadFromFile(Name, 7);
    FUZZ_CHECK(Texture.Width > 0 && Texture.Height > 0);
    FUZZ_CHECK(Pixels.size() % 3 == 0);
    FUZZ_CHECK(Pixels.size() / 3 >= uint64_t(Texture.Width) * uint64_t(Texture.Height));
    FUZZ_CHECK(Pixels.size() <= Size * 3);
  } catch (const Exception&) {}

  // The conversion on its own: the first 768 bytes (zero-filled) are the
  // palette, the rest the indices.
  TPalette Palette{};
  const size_t PaletteBytes = Size < Palette.size() ? Size : Palette.size();
  std::copy(Data, Data + PaletteBytes, Palette.begin());
  const std::vector<uint8_t> Rgb = PaletteToRGB(Palette, Data + PaletteBytes, Size - PaletteBytes);
  FUZZ_CHECK(Rgb.size() == (Size - PaletteBytes) * 3);
  for (size_t I = 0; I < Size - PaletteBytes; ++I)
    FUZZ_CHECK(Rgb[I * 3] == Palette[size_t(Data[PaletteBytes + I]) * 3]);
  return 0;
}
