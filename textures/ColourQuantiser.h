#pragma once
// A palette of at most 256 colours chosen for one picture, and each pixel's
// entry in it: GraphicsMagick's colour quantiser (its adaptive colour tree,
// without dithering, which would add noise to every flat area) chooses the
// palette, a few rounds of averaging settle it on the picture's pixels, and
// each pixel takes its nearest entry.
#include <cstdint>
#include <vector>

#include "model/ZorvTextures.h"
#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EColourQuantiser);

struct TQuantised {
  TPalette Palette{};
  int32_t Colours = 0;           // entries used, from the first
  std::vector<uint8_t> Indices;  // one per pixel
};

// Width x Height RGB triples, top row first. Raises EColourQuantiser with the
// quantiser's own words when it fails.
TQuantised QuantiseColours(int32_t Width, int32_t Height, const std::vector<uint8_t>& Rgb);
