#pragma once
// Pictures as PNG files: what the headless context drew, written for the
// command line and read back by tests.
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EPngPicture);  // "PngPicture: " + what went wrong

// Writes Width x Height pixels of Channels bytes each (3 = RGB, 4 = RGBA),
// top row first and rows packed, as an 8-bit PNG file, complete or not at all
// (runtime/OutputFiles.h). Raises EPngPicture when the size or channel count
// is not sensible or Pixels holds fewer bytes than the picture needs; the
// output's and the file layer's errors when the file cannot be written whole.
void WritePng(const std::string& FileName, int Width, int Height, int Channels, const std::vector<uint8_t>& Pixels);

// The same picture as the bytes of a PNG file, in memory; the same checks.
std::vector<uint8_t> EncodePng(int Width, int Height, int Channels, const std::vector<uint8_t>& Pixels);

// A picture read back as RGBA bytes, top row first.
struct TPngPicture {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Rgba;
};

// Reads any PNG file, converted to 8-bit RGBA. Raises EPngPicture when the
// file is not a readable PNG, the file layer's errors when it cannot be read.
TPngPicture ReadPng(const std::string& FileName);
