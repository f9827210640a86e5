#pragma once
// Reading back what the current OpenGL context drew, in the form pictures
// are written in: rows top first, tightly packed.
#include <cstdint>
#include <vector>

// The current context's colour buffer, Width x Height from the lower left
// corner, as RGBA bytes with the top row first. Whatever pixel packing the
// drawing left set, the rows come tightly packed, and the drawing's packing
// is put back afterwards.
std::vector<uint8_t> ReadFramePixels(int Width, int Height);

// RGBA bytes as RGB: the alpha byte of each pixel dropped (a trailing
// partial pixel too). The window shows no transparency, so a picture of it
// has none either.
std::vector<uint8_t> RgbaToRgb(const std::vector<uint8_t>& Rgba);
