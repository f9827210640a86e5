#include "gl/PixelReadback.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstddef>

std::vector<uint8_t> ReadFramePixels(int Width, int Height) {
  const size_t RowBytes = static_cast<size_t>(Width) * 4;
  std::vector<uint8_t> Bottom(RowBytes * static_cast<size_t>(Height));
  const GLenum Packing[] = {GL_PACK_ALIGNMENT, GL_PACK_ROW_LENGTH, GL_PACK_SKIP_ROWS, GL_PACK_SKIP_PIXELS};
  GLint Saved[4] = {};
  for (int I = 0; I < 4; ++I) glGetIntegerv(Packing[I], &Saved[I]);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  for (int I = 1; I < 4; ++I) glPixelStorei(Packing[I], 0);
  glReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, Bottom.data());
  for (int I = 0; I < 4; ++I) glPixelStorei(Packing[I], Saved[I]);
  std::vector<uint8_t> Top(Bottom.size());
  for (int Row = 0; Row < Height; ++Row)
    std::copy_n(Bottom.begin() + static_cast<std::ptrdiff_t>(RowBytes * static_cast<size_t>(Row)), RowBytes,
                Top.begin() + static_cast<std::ptrdiff_t>(RowBytes * static_cast<size_t>(Height - 1 - Row)));
  return Top;
}

std::vector<uint8_t> RgbaToRgb(const std::vector<uint8_t>& Rgba) {
  std::vector<uint8_t> Rgb;
  Rgb.reserve(Rgba.size() / 4 * 3);
  for (size_t I = 0; I + 3 < Rgba.size(); I += 4)
    Rgb.insert(Rgb.end(), Rgba.begin() + static_cast<std::ptrdiff_t>(I),
               Rgba.begin() + static_cast<std::ptrdiff_t>(I) + 3);
  return Rgb;
}
