// Text built of the font's quads: what it measures, that its pixels lie in
// that measure in its colour wherever the drawing left its state, and that
// the state is left as it was found.
#include "gl/TextDrawing.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gl/HeadlessContext.h"

namespace {

constexpr int W = 64, H = 24;

// The state a text must leave as it found it.
std::vector<double> StateNow() {
  std::vector<double> State;
  auto Get = [&](GLenum Name, int Count) {
    std::vector<GLdouble> Values(static_cast<size_t>(Count));
    glGetDoublev(Name, Values.data());
    State.insert(State.end(), Values.begin(), Values.end());
  };
  Get(GL_PROJECTION_MATRIX, 16);
  Get(GL_MODELVIEW_MATRIX, 16);
  Get(GL_MATRIX_MODE, 1);
  Get(GL_POLYGON_MODE, 2);
  Get(GL_CURRENT_COLOR, 4);
  Get(GL_VIEWPORT, 4);
  for (GLenum Capability : {GL_DEPTH_TEST, GL_CULL_FACE, GL_TEXTURE_2D, GL_LIGHTING, GL_BLEND, GL_VERTEX_ARRAY})
    State.push_back(glIsEnabled(Capability));
  return State;
}

// The drawing's own state at its most hostile to text: outlines, culling, a
// depth buffer that hides everything, a turned view, another colour.
void SetHostileState() {
  glClearColor(0, 0, 0, 0);
  glClearDepth(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearDepth(1);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1, 1, -2, 2, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotatef(30, 0, 0, 1);
  glColor3f(0.1f, 0.2f, 0.3f);
}

// The pixels of the colour, as a box (x0, y0, x1, y1 inclusive, y from the
// top) and a count.
struct TLit {
  int Count = 0, X0 = W, Y0 = H, X1 = -1, Y1 = -1, Other = 0;
};
TLit Lit(THeadlessGL& Context, uint32_t Colour) {
  const std::vector<uint8_t> Rgba = Context.ReadPixels();
  TLit L;
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      const uint8_t* P = &Rgba[(size_t(Y) * W + size_t(X)) * 4];
      const uint32_t Pixel = uint32_t(P[0]) << 16 | uint32_t(P[1]) << 8 | P[2];
      if (Pixel == 0) continue;
      if (Pixel != Colour) {
        ++L.Other;
        continue;
      }
      ++L.Count, L.X0 = std::min(L.X0, X), L.Y0 = std::min(L.Y0, Y), L.X1 = std::max(L.X1, X), L.Y1 = std::max(L.Y1, Y);
    }
  return L;
}

}  // namespace

TEST(TextDrawing, MeasuresEachCharactersAdvanceAcrossAndOneLineDown) {
  struct TCase {
    const char* Text;
    int Width, Height;
  } Cases[] = {{"", 0, 0}, {"A", 6, 12}, {"AW", 13, 12}, {"i|", 6, 12}, {"Gun 1", 31, 12}};
  for (const TCase& C : Cases) {
    const TTextBox Box = MeasureText(C.Text);
    EXPECT_EQ(Box.Width, C.Width) << C.Text;
    EXPECT_EQ(Box.Height, C.Height) << C.Text;
  }
}

TEST(TextDrawing, BytesOutsidePrintableAsciiShowAsQuestionMarks) {
  for (int Byte : {0, 1, 10, 31, 127, 128, 0xE9, 0xFF}) EXPECT_EQ(ShownCharacter(char(Byte)), '?') << Byte;
  for (int Byte : {32, int('A'), int('~')}) EXPECT_EQ(ShownCharacter(char(Byte)), char(Byte)) << Byte;
  EXPECT_EQ(MeasureText("G\xE9\n").Width, MeasureText("G??").Width);

  THeadlessGL Context(W, H);
  SetHostileState();
  DrawText("G\xE9\n", 2, 3, 1, 1, 1);
  const std::vector<uint8_t> Latin1 = Context.ReadPixels();
  SetHostileState();
  DrawText("G??", 2, 3, 1, 1, 1);
  EXPECT_TRUE(Context.ReadPixels() == Latin1);
}

TEST(TextDrawing, FillsItsBoxInItsColourOverAnyStateAndLeavesTheStateAsFound) {
  THeadlessGL Context(W, H);
  SetHostileState();
  const std::vector<double> Before = StateNow();
  DrawText("AWg_", 3, 4, 1, 1, 0);
  EXPECT_EQ(StateNow(), Before);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

  const TLit Yellow = Lit(Context, 0xFFFF00);
  const TTextBox Box = MeasureText("AWg_");
  EXPECT_GT(Yellow.Count, 40) << "filled, not outlined";
  EXPECT_EQ(Yellow.Other, 0);
  EXPECT_EQ(Yellow.X0, 3);
  EXPECT_EQ(Yellow.Y0, 4);
  EXPECT_LT(Yellow.X1, 3 + Box.Width);
  EXPECT_LT(Yellow.Y1, 4 + Box.Height);
}

TEST(TextDrawing, ShowsWhatFallsInTheViewportOfALongText) {
  THeadlessGL Context(W, H);
  SetHostileState();
  // A hundred thousand characters from left of the viewport: only those in
  // sight are built, and they show.
  DrawText(std::string(100000, 'W'), -7 * 50000, 0, 1, 1, 1);
  const TLit White = Lit(Context, 0xFFFFFF);
  EXPECT_EQ(White.X0, 0);
  EXPECT_EQ(White.X1, W - 1);
}

TEST(TextDrawing, KeptQuadsDrawWhatDrawTextsDrawsAsOftenAsAsked) {
  THeadlessGL Context(W, H);
  SetHostileState();
  const std::string Texts[] = {"Gun", "Tail"};
  const TTextAt At[] = {{&Texts[0], 2, 1}, {&Texts[1], 30, 10}};
  DrawTexts(At, 1, 1, 0);
  const std::vector<uint8_t> Drawn = Context.ReadPixels();
  TTextQuads Quads;
  for (const TTextAt& Text : At) Quads.Add(*Text.Text, Text.X, Text.Y, W, H);
  for (int Frame = 0; Frame < 2; ++Frame) {
    SetHostileState();
    const std::vector<double> Before = StateNow();
    Quads.Draw(1, 1, 0);
    EXPECT_EQ(StateNow(), Before);
    EXPECT_TRUE(Context.ReadPixels() == Drawn) << Frame;
  }
}
