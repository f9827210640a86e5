#pragma once
// Pictures a texture is made from: PNG and JPEG files read into RGB pixels,
// each refused whole (nothing decoded, a message naming the file) when it is
// not a picture, is cut short, is wider or higher than a texture may be, or
// needs more memory than the machine has free.
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EPictureFile);

// The widest and highest texture: what the software renderer and common
// graphics cards take, and well inside the ".mat" size fields.
constexpr int32_t TextureSideLimit = 16384;

struct TRgbPicture {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Rgb;  // Width x Height triples, top row first
  // A pixel was not fully opaque: a texture has no transparency, so its
  // colour is kept and its transparency dropped.
  bool Transparent = false;
};

// The bytes a picture of Width x Height pixels takes while it is converted,
// each step's copies together.
int64_t ConversionBytes(int64_t Width, int64_t Height);

// Refuses a picture of Width x Height pixels as ReadPicture does, before
// anything is decoded: a side past TextureSideLimit, or more bytes than
// AvailableBytes. FileName names it in the message.
void CheckPictureSize(const std::string& FileName, int64_t Width, int64_t Height, int64_t AvailableBytes);

// The memory the system says is free for a new program's use.
int64_t AvailableMemory();

// FileName as RGB, told PNG or JPEG by its first bytes, never by its name.
TRgbPicture ReadPicture(const std::string& FileName);
// The same for a picture held in memory (one a mesh file carries inside),
// Name naming it in every message as FileName does.
TRgbPicture ReadPictureBytes(const std::string& Name, const std::vector<uint8_t>& Bytes);
