#include "textures/PictureFiles.h"

#include <png.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <memory>
#include <new>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "runtime/FileLayer.h"

namespace {

std::vector<uint8_t> FileBytes(const std::string& FileName) {
  if (!FileExists(FileName)) throw EPictureFile(FileName + " not found!");
  TFileStream Stream(FileName, TFileMode::OpenRead);
  std::vector<uint8_t> Bytes(size_t(Stream.Size()));
  size_t Done = 0;
  while (Done < Bytes.size()) {
    const int32_t Got = Stream.Read(Bytes.data() + Done, int32_t(std::min<size_t>(Bytes.size() - Done, 1 << 24)));
    if (Got <= 0) throw EPictureFile("Cannot read all of " + FileName);
    Done += size_t(Got);
  }
  return Bytes;
}

bool IsPng(const std::vector<uint8_t>& Bytes) { return Bytes.size() >= 8 && png_sig_cmp(Bytes.data(), 0, 8) == 0; }
bool IsJpeg(const std::vector<uint8_t>& Bytes) {
  return Bytes.size() >= 3 && Bytes[0] == 0xFF && Bytes[1] == 0xD8 && Bytes[2] == 0xFF;
}

// libpng's reading state, freed on every way out: a picture refused for its
// size after its header was read would otherwise keep it.
struct TPngReading {
  png_image Image{};
  TPngReading() { Image.version = PNG_IMAGE_VERSION; }
  TPngReading(const TPngReading&) = delete;
  TPngReading& operator=(const TPngReading&) = delete;
  ~TPngReading() { png_image_free(&Image); }
};

TRgbPicture ReadPngBytes(const std::string& FileName, const std::vector<uint8_t>& Bytes) {
  TPngReading Reading;
  png_image& Image = Reading.Image;
  const auto Refuse = [&](const char* What) {
    throw EPictureFile(FileName + " is not a PNG picture that can be read (" + What + ")");
  };
  if (!png_image_begin_read_from_memory(&Image, Bytes.data(), Bytes.size())) Refuse(Image.message);
  CheckPictureSize(FileName, Image.width, Image.height, AvailableMemory());
  Image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> Rgba(size_t(Image.width) * Image.height * 4);
  if (!png_image_finish_read(&Image, nullptr, Rgba.data(), 0, nullptr)) Refuse(Image.message);
  TRgbPicture Picture;
  Picture.Width = int32_t(Image.width);
  Picture.Height = int32_t(Image.height);
  const size_t Pixels = Rgba.size() / 4;
  Picture.Rgb.resize(Pixels * 3);
  for (size_t I = 0; I < Pixels; ++I) {
    Picture.Rgb[I * 3] = Rgba[I * 4];
    Picture.Rgb[I * 3 + 1] = Rgba[I * 4 + 1];
    Picture.Rgb[I * 3 + 2] = Rgba[I * 4 + 2];
    Picture.Transparent |= Rgba[I * 4 + 3] != 255;
  }
  return Picture;
}

// libjpeg reports through these: an error or any warning (a file cut short
// is one) ends the decoding, with the library's words kept.
struct TJpegErrors {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void JpegFail(j_common_ptr Info) {
  TJpegErrors* Errors = reinterpret_cast<TJpegErrors*>(Info->err);
  Errors->Manager.format_message(Info, Errors->Message);
  std::longjmp(Errors->Jump, 1);
}

void JpegMessage(j_common_ptr Info, int Level) {
  if (Level < 0) JpegFail(Info);
}

// The decoding proper, once to learn the size (Rows null) and once into
// Rows, Width x Height RGB triples. No object here has a destructor that
// libjpeg's way out (longjmp) could skip.
bool DecodeJpeg(const std::vector<uint8_t>& Bytes, TJpegErrors& Errors, uint8_t* Rows, uint32_t& Width,
                uint32_t& Height) {
  jpeg_decompress_struct Info;
  Info.err = jpeg_std_error(&Errors.Manager);
  Errors.Manager.error_exit = JpegFail;
  Errors.Manager.emit_message = JpegMessage;
  Errors.Message[0] = '\0';
  if (setjmp(Errors.Jump)) {
    jpeg_destroy_decompress(&Info);
    return false;
  }
  jpeg_create_decompress(&Info);
  jpeg_mem_src(&Info, Bytes.data(), static_cast<unsigned long>(Bytes.size()));
  jpeg_read_header(&Info, TRUE);
  Info.out_color_space = JCS_RGB;
  if (Rows && (Info.image_width != Width || Info.image_height != Height)) JpegFail(j_common_ptr(&Info));
  Width = Info.image_width;
  Height = Info.image_height;
  if (Rows) {
    jpeg_start_decompress(&Info);
    while (Info.output_scanline < Info.output_height) {
      JSAMPROW Row = Rows + size_t(Info.output_scanline) * Info.output_width * 3;
      jpeg_read_scanlines(&Info, &Row, 1);
    }
    jpeg_finish_decompress(&Info);
  }
  jpeg_destroy_decompress(&Info);
  return true;
}

TRgbPicture ReadJpegBytes(const std::string& FileName, const std::vector<uint8_t>& Bytes) {
  TJpegErrors Errors;
  const auto Refuse = [&] {
    throw EPictureFile(FileName + " is not a JPEG picture that can be read (" + Errors.Message + ")");
  };
  uint32_t Width = 0, Height = 0;
  if (!DecodeJpeg(Bytes, Errors, nullptr, Width, Height)) Refuse();
  CheckPictureSize(FileName, Width, Height, AvailableMemory());
  TRgbPicture Picture;
  Picture.Width = int32_t(Width);
  Picture.Height = int32_t(Height);
  Picture.Rgb.resize(size_t(Width) * Height * 3);
  if (!DecodeJpeg(Bytes, Errors, Picture.Rgb.data(), Width, Height)) Refuse();
  return Picture;
}

}  // namespace

int64_t ConversionBytes(int64_t Width, int64_t Height) {
  // The decoded RGBA, the RGB picture, the quantiser's 16-bit pixels and
  // indices, the palette indices, the converted picture for the error.
  return Width * Height * (4 + 3 + 10 + 1 + 3);
}

void CheckPictureSize(const std::string& FileName, int64_t Width, int64_t Height, int64_t AvailableBytes) {
  const std::string Size = std::to_string(Width) + " x " + std::to_string(Height) + " pixels";
  if (Width < 1 || Height < 1) throw EPictureFile(FileName + " has no pixels (" + Size + ")");
  if (Width > TextureSideLimit)
    throw EPictureFile(FileName + " is wider (" + Size + ") than the " + std::to_string(TextureSideLimit) +
                       " pixels a texture can have");
  if (Height > TextureSideLimit)
    throw EPictureFile(FileName + " is higher (" + Size + ") than the " + std::to_string(TextureSideLimit) +
                       " pixels a texture can have");
  const int64_t Need = ConversionBytes(Width, Height);
  if (Need > AvailableBytes)
    throw EPictureFile(FileName + " has " + Size + ", whose conversion needs " + std::to_string(Need >> 20) +
                       " MiB, more than the " + std::to_string(AvailableBytes >> 20) + " MiB of memory free");
}

int64_t AvailableMemory() {
  std::ifstream Info("/proc/meminfo");
  std::string Key;
  int64_t Value = 0;
  std::string Unit;
  while (Info >> Key >> Value >> Unit)
    if (Key == "MemAvailable:") return Value * 1024;
  const long Pages = sysconf(_SC_AVPHYS_PAGES), PageSize = sysconf(_SC_PAGESIZE);
  return Pages > 0 && PageSize > 0 ? int64_t(Pages) * PageSize : INT64_MAX;
}

TRgbPicture ReadPicture(const std::string& FileName) { return ReadPictureBytes(FileName, FileBytes(FileName)); }

TRgbPicture ReadPictureBytes(const std::string& FileName, const std::vector<uint8_t>& Bytes) {
  try {
    if (IsPng(Bytes)) return ReadPngBytes(FileName, Bytes);
    if (IsJpeg(Bytes)) return ReadJpegBytes(FileName, Bytes);
  } catch (const std::bad_alloc&) {
    throw EPictureFile(FileName + " needs more memory than is free");
  }
  throw EPictureFile(FileName + " is not a PNG or JPEG picture");
}
