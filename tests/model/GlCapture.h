#pragma once
// What OpenGL receives, read back through the feedback mode of OpenGL 1.1:
// every point, line and polygon after transformation, in the order sent,
// with its colour. The helpers set an orthographic view of half-size Extent
// on a square viewport of 256 pixels, so window coordinates map back to
// model coordinates exactly for small binary fractions.
#include <GL/gl.h>

#include <array>
#include <functional>
#include <vector>

namespace GlCapture {

constexpr int Side = 256;

struct TPoint {
  float X, Y, Z;  // model coordinates (undoing the view)
  std::array<float, 4> Colour;
};

struct TItem {
  GLenum Token;  // GL_POINT_TOKEN, GL_LINE_TOKEN, GL_LINE_RESET_TOKEN, GL_POLYGON_TOKEN
  std::vector<TPoint> Points;
};

// An orthographic view from -Extent to Extent on every axis, identity model
// view, the viewport the whole square.
inline void SetView(float Extent) {
  glViewport(0, 0, Side, Side);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-Extent, Extent, -Extent, Extent, -Extent, Extent);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

inline std::vector<TItem> Capture(const std::function<void()>& Draw, float Extent = 1) {
  SetView(Extent);
  std::vector<GLfloat> Buffer(1 << 20);
  glFeedbackBuffer(GLsizei(Buffer.size()), GL_3D_COLOR, Buffer.data());
  glRenderMode(GL_FEEDBACK);
  Draw();
  const GLint Used = glRenderMode(GL_RENDER);
  std::vector<TItem> Items;
  auto Point = [&](GLint& At) {
    TPoint P;
    // Window to model: x_w = (x / Extent + 1) * Side / 2; the depth range is 0..1
    // and the orthographic view flips Z.
    P.X = (Buffer[size_t(At)] / (Side / 2.0f) - 1) * Extent;
    P.Y = (Buffer[size_t(At) + 1] / (Side / 2.0f) - 1) * Extent;
    P.Z = -(Buffer[size_t(At) + 2] * 2 - 1) * Extent;
    for (int C = 0; C < 4; ++C) P.Colour[size_t(C)] = Buffer[size_t(At) + 3 + size_t(C)];
    At += 7;
    return P;
  };
  for (GLint At = 0; At < Used;) {
    TItem Item{GLenum(Buffer[size_t(At++)]), {}};
    int Count = 0;
    switch (Item.Token) {
      case GL_POINT_TOKEN: Count = 1; break;
      case GL_LINE_TOKEN:
      case GL_LINE_RESET_TOKEN: Count = 2; break;
      case GL_POLYGON_TOKEN: Count = int(Buffer[size_t(At++)]); break;
      case GL_PASS_THROUGH_TOKEN: At++; continue;
      default: Count = 1; break;  // bitmap and pixel tokens
    }
    for (int I = 0; I < Count; ++I) Item.Points.push_back(Point(At));
    Items.push_back(Item);
  }
  return Items;
}

}  // namespace GlCapture
