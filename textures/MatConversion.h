#pragma once
// Textures made for the user: a picture turned into a ".mat" texture as the
// texture reader reads it, and a ".mat" turned into a PNG picture. A picture
// of 256 colours or fewer converts exactly; any other gets a palette chosen
// for it by the colour quantiser, and the error that leaves is measured.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "model/ZorvTextures.h"
#include "runtime/Exception.h"
#include "textures/PictureFiles.h"

QUELBIR_EXCEPTION(EMatConversion);

struct TMatPicture {
  int32_t Width = 0;
  int32_t Height = 0;
  TPalette Palette{};
  std::vector<uint8_t> Indices;  // one per pixel, top row first
  int32_t Colours = 0;           // palette entries in use, from the first
  bool Exact = false;            // every pixel has its own colour
  double Psnr = 0;               // against the picture, in dB; infinite when exact
};

// The texture of Picture: its own colours (sorted by their RGB value) when
// it has 256 or fewer, else the quantiser's palette.
TMatPicture MatPictureOf(const TRgbPicture& Picture);

// The bytes of the ".mat" file of Texture.
std::vector<uint8_t> MatFileOf(const TMatPicture& Texture);

// What making Texture from Picture did, one line each, Name in front of
// each: transparency dropped, and either the colours kept exactly or those
// chosen with their PSNR against the picture.
std::string ConversionNotes(const std::string& Name, const TRgbPicture& Picture, const TMatPicture& Texture);

// The peak signal-to-noise ratio of B against A, over every byte (8-bit
// channels), in dB; infinite when they are equal. Both must be as long.
double PeakSignalToNoise(const std::vector<uint8_t>& A, const std::vector<uint8_t>& B);

// `quelbir-cli texture`: In (a PNG or JPEG picture, or a ".mat" texture,
// told by its first bytes) written as Out (a ".mat" for a picture, a ".png"
// for a texture), complete or not at all; Out must not be In. What the
// conversion did (exact, or the colours chosen and their PSNR, transparency
// dropped) goes to Notes, one line each.
void ConvertTexture(const std::string& In, const std::string& Out, std::ostream& Notes);
