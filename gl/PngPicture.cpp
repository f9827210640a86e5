#include "gl/PngPicture.h"

#include <png.h>

#include <algorithm>
#include <cstring>

#include "runtime/FileLayer.h"
#include "runtime/OutputFiles.h"

namespace {

[[noreturn]] void Fail(const std::string& What) { throw EPngPicture("PngPicture: " + What); }

// Frees what libpng allocated for an image, whatever way we leave.
struct TImage {
  png_image Image;
  TImage() {
    std::memset(&Image, 0, sizeof Image);
    Image.version = PNG_IMAGE_VERSION;
  }
  ~TImage() { png_image_free(&Image); }
};

std::vector<uint8_t> Encode(const std::string& What, int Width, int Height, int Channels,
                            const std::vector<uint8_t>& Pixels) {
  if (Width <= 0 || Height <= 0)
    Fail("the picture size " + std::to_string(Width) + "x" + std::to_string(Height) + " is not positive");
  if (Channels != 3 && Channels != 4) Fail("a picture has 3 or 4 channels, not " + std::to_string(Channels));
  // PNG sizes are 31-bit; the byte count is formed in 64 bits.
  if (Width > 0x7FFFFFFF / Channels) Fail("the picture is too wide");
  const uint64_t Needed = uint64_t(Width) * uint64_t(Height) * uint64_t(Channels);
  if (Pixels.size() < Needed)
    Fail("the pixel buffer holds " + std::to_string(Pixels.size()) + " bytes, " + std::to_string(Width) + "x" +
         std::to_string(Height) + "x" + std::to_string(Channels) + " needs " + std::to_string(Needed));

  TImage Picture;
  Picture.Image.width = static_cast<png_uint_32>(Width);
  Picture.Image.height = static_cast<png_uint_32>(Height);
  Picture.Image.format = Channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  const png_int_32 RowStride = Width * Channels;

  // Encode into memory first, so that nothing half-made reaches the file
  // when the encoder fails.
  png_alloc_size_t Size = 0;
  if (!png_image_write_to_memory(&Picture.Image, nullptr, &Size, 0, Pixels.data(), RowStride, nullptr))
    Fail(std::string("cannot encode ") + What + ": " + Picture.Image.message);
  std::vector<uint8_t> Encoded(Size);
  if (!png_image_write_to_memory(&Picture.Image, Encoded.data(), &Size, 0, Pixels.data(), RowStride, nullptr))
    Fail(std::string("cannot encode ") + What + ": " + Picture.Image.message);
  return Encoded;
}

}  // namespace

std::vector<uint8_t> EncodePng(int Width, int Height, int Channels, const std::vector<uint8_t>& Pixels) {
  return Encode("the picture", Width, Height, Channels, Pixels);
}

void WritePng(const std::string& FileName, int Width, int Height, int Channels, const std::vector<uint8_t>& Pixels) {
  const std::vector<uint8_t> Encoded = Encode(FileName, Width, Height, Channels, Pixels);
  WriteOutputFile(FileName, Encoded.data(), Encoded.size());
}

TPngPicture ReadPng(const std::string& FileName) {
  TFileStream In(FileName, TFileMode::OpenRead);
  std::vector<uint8_t> Bytes(static_cast<size_t>(In.Size()));
  size_t Got = 0;
  while (Got < Bytes.size()) {
    const int32_t Block = static_cast<int32_t>(std::min<size_t>(Bytes.size() - Got, 1 << 20));
    const int32_t Read = In.Read(Bytes.data() + Got, Block);
    if (Read <= 0) break;
    Got += static_cast<size_t>(Read);
  }
  Bytes.resize(Got);

  TImage Picture;
  if (!png_image_begin_read_from_memory(&Picture.Image, Bytes.data(), Bytes.size()))
    Fail(FileName + " is not a readable PNG file: " + Picture.Image.message);
  Picture.Image.format = PNG_FORMAT_RGBA;
  TPngPicture Result;
  Result.Width = static_cast<int>(Picture.Image.width);
  Result.Height = static_cast<int>(Picture.Image.height);
  Result.Rgba.resize(PNG_IMAGE_SIZE(Picture.Image));
  if (!png_image_finish_read(&Picture.Image, nullptr, Result.Rgba.data(), 0, nullptr))
    Fail(FileName + " is not a readable PNG file: " + Picture.Image.message);
  return Result;
}
