#pragma once
// JPEG files for the tests, written with libjpeg.
#include <cstdint>
#include <cstdio>
#include <vector>
// clang-format off
#include <jpeglib.h>
// clang-format on

inline std::vector<uint8_t> JpegBytes(int Width, int Height, const std::vector<uint8_t>& Rgb, int Quality) {
  jpeg_compress_struct Info;
  jpeg_error_mgr Errors;
  Info.err = jpeg_std_error(&Errors);
  jpeg_create_compress(&Info);
  unsigned char* Buffer = nullptr;
  unsigned long Size = 0;
  jpeg_mem_dest(&Info, &Buffer, &Size);
  Info.image_width = JDIMENSION(Width);
  Info.image_height = JDIMENSION(Height);
  Info.input_components = 3;
  Info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&Info);
  jpeg_set_quality(&Info, Quality, TRUE);
  jpeg_start_compress(&Info, TRUE);
  while (Info.next_scanline < Info.image_height) {
    JSAMPROW Row = const_cast<uint8_t*>(Rgb.data()) + size_t(Info.next_scanline) * size_t(Width) * 3;
    jpeg_write_scanlines(&Info, &Row, 1);
  }
  jpeg_finish_compress(&Info);
  std::vector<uint8_t> Bytes(Buffer, Buffer + Size);
  jpeg_destroy_compress(&Info);
  std::free(Buffer);
  return Bytes;
}
