#pragma once
// The material textures of an export: each texture number the exported
// faces use, read from its ".mat" file in a folder through the same reader
// and palette code as the texture list, as RGB pixels ready for a PNG.
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "interchange/ExportedModel.h"

// Texture numbers of 10000000 and above mean no texture, as in drawing.
constexpr int32_t FirstNoTexture = 10000000;

struct TTextureImage {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Rgb;  // Width x Height pixels, the first "PXLS" row first
};

// The name of a texture number in exported files: its ".mat" file's name
// without the extension ("00001234"; "10000000" for no texture).
std::string TextureName(int32_t Number);

// Every texture number below 10000000 used by the model's faces, read from
// Dir (an empty Dir reads none). A texture that is missing or refused is
// left out with a warning naming the file and the reader's message.
std::map<int32_t, TTextureImage> ReadTextureImages(const TExportedModel& Model, const std::string& Dir,
                                                   std::ostream& Warnings);

// The PNG file bytes of an image, rows in the given order or upside down.
std::vector<uint8_t> TexturePng(const TTextureImage& Image, bool UpsideDown = false);
