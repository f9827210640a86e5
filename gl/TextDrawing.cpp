#include "gl/TextDrawing.h"

#include <GL/gl.h>

#include <algorithm>
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

namespace {

// The quads of Text's characters in sight of a viewport Width x Height,
// appended to Vertices as the font writes them (four vertices a quad, each
// x, y, z and four colour bytes in four floats' room).
void AddQuads(const std::string& Text, int X, int Y, int Width, int Height, std::vector<float>& Vertices) {
  constexpr size_t GlyphRoom = 64 * 4 * 4;  // floats: the largest glyph has fewer than 64 quads
  const TTextBox Box = MeasureText(Text);
  if (Y >= Height || Y + Box.Height <= 0) return;
  int Left = X;
  for (char Byte : Text) {
    if (Left >= Width) break;
    const int Advanced = Advance(Byte);
    if (Left + Advanced > 0) {
      TGlyph Glyph(Byte);
      const size_t Used = Vertices.size();
      Vertices.resize(Used + GlyphRoom);
      const int Quads =
          stb_easy_font_print(float(Left), float(Y), Glyph.Text, nullptr, Vertices.data() + Used, GlyphRoom * 4);
      Vertices.resize(Used + size_t(Quads) * 16);
    }
    Left += Advanced;
  }
}

// The state texts are drawn in, set for the life of the object and put back
// as it was found after.
class TTextState {
public:
  TTextState(float Red, float Green, float Blue) {
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
    // One unit a pixel, y down: the font's whole-number corners fall on
    // pixel edges, so each quad fills exactly its pixels.
    glOrtho(0, Viewport[2], Viewport[3], 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3f(Red, Green, Blue);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    for (GLenum Array : {GL_COLOR_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_INDEX_ARRAY, GL_EDGE_FLAG_ARRAY})
      glDisableClientState(Array);
    glEnableClientState(GL_VERTEX_ARRAY);
  }
  ~TTextState() {
    glPopClientAttrib();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
  }
  TTextState(const TTextState&) = delete;
  TTextState& operator=(const TTextState&) = delete;
};

// The quads of texts in sight go as vertex arrays, a bounded batch at a
// time: the stream of immediate vertices the drawing uses stays as it was,
// so a frame draws the same pixels with or without texts before it.
constexpr size_t Batch = size_t(1) << 16;  // floats, a whole number of quads

void DrawQuads(const float* Vertices, size_t Count) {
  glVertexPointer(2, GL_FLOAT, 4 * sizeof(float), Vertices);
  glDrawArrays(GL_QUADS, 0, GLsizei(Count / 4));
}

}  // namespace

void DrawText(const std::string& Text, int X, int Y, float Red, float Green, float Blue) {
  const TTextAt One[] = {{&Text, X, Y}};
  DrawTexts(One, Red, Green, Blue);
}

void DrawTexts(std::span<const TTextAt> Texts, float Red, float Green, float Blue) {
  if (Texts.empty()) return;
  GLint Viewport[4];
  glGetIntegerv(GL_VIEWPORT, Viewport);
  TTextState State(Red, Green, Blue);
  std::vector<float> Vertices;
  for (const TTextAt& At : Texts) {
    AddQuads(*At.Text, At.X, At.Y, Viewport[2], Viewport[3], Vertices);
    if (Vertices.size() >= Batch) {
      DrawQuads(Vertices.data(), Vertices.size());
      Vertices.clear();
    }
  }
  if (!Vertices.empty()) DrawQuads(Vertices.data(), Vertices.size());
}

void TTextQuads::Add(const std::string& Text, int X, int Y, int Width, int Height) {
  AddQuads(Text, X, Y, Width, Height, FVertices);
}

void TTextQuads::Draw(float Red, float Green, float Blue) const {
  if (FVertices.empty()) return;
  TTextState State(Red, Green, Blue);
  for (size_t First = 0; First < FVertices.size(); First += Batch)
    DrawQuads(FVertices.data() + First, std::min(Batch, FVertices.size() - First));
}
