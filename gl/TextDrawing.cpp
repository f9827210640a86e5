#include "gl/TextDrawing.h"

#include <GL/gl.h>

#include <vector>

// The font's functions are static, and it has one (spacing) that nothing
// here needs.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb/stb_easy_font.h>
#pragma GCC diagnostic pop

namespace {

// The font indexes its tables by the byte less 32: only 32..126 may reach it.
struct TGlyph {
  char Text[2];
  explicit TGlyph(char Byte) : Text{ShownCharacter(Byte), 0} {}
};

int Advance(char Byte) {
  TGlyph Glyph(Byte);
  return stb_easy_font_width(Glyph.Text);
}

}  // namespace

char ShownCharacter(char Byte) {
  const unsigned char Code = static_cast<unsigned char>(Byte);
  return Code >= 32 && Code <= 126 ? Byte : '?';
}

TTextBox MeasureText(const std::string& Text) {
  TTextBox Box;
  for (char Byte : Text) Box.Width += Advance(Byte);
  if (!Text.empty()) {
    TGlyph Glyph(Text[0]);
    Box.Height = stb_easy_font_height(Glyph.Text);
  }
  return Box;
}

void DrawText(const std::string& Text, int X, int Y, float Red, float Green, float Blue) {
  GLint Viewport[4];
  glGetIntegerv(GL_VIEWPORT, Viewport);
  glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_FOG);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  // One unit a pixel, y down: the font's whole-number corners fall on pixel
  // edges, so each quad fills exactly its pixels.
  glOrtho(0, Viewport[2], Viewport[3], 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glColor3f(Red, Green, Blue);

  // The quads of the characters in sight, built one character at a time
  // (room for the largest glyph each) and sent as one vertex array: the
  // stream of immediate vertices the drawing uses stays as it was, so a frame
  // draws the same pixels with or without names before it.
  constexpr size_t GlyphRoom = 64 * 4 * 4;  // floats: 64 quads of 4 vertices, each x, y, z and 4 colour bytes
  std::vector<float> Vertices;
  const TTextBox Box = MeasureText(Text);
  int Left = X;
  for (char Byte : Text) {
    if (Left >= Viewport[2]) break;
    const int Width = Advance(Byte);
    if (Left + Width > 0 && Y < Viewport[3] && Y + Box.Height > 0) {
      TGlyph Glyph(Byte);
      const size_t Used = Vertices.size();
      Vertices.resize(Used + GlyphRoom);
      const int Quads =
          stb_easy_font_print(float(Left), float(Y), Glyph.Text, nullptr, Vertices.data() + Used, GlyphRoom * 4);
      Vertices.resize(Used + size_t(Quads) * 16);
    }
    Left += Width;
  }
  if (!Vertices.empty()) {
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    for (GLenum Array : {GL_COLOR_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_INDEX_ARRAY, GL_EDGE_FLAG_ARRAY})
      glDisableClientState(Array);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 4 * sizeof(float), Vertices.data());
    glDrawArrays(GL_QUADS, 0, GLsizei(Vertices.size() / 4));
    glPopClientAttrib();
  }

  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glPopAttrib();
}
