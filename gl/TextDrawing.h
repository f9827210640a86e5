#pragma once
// Text on the drawing with OpenGL 1.1 alone: every character is built of
// filled quads (no font file, no texture), so a text shows the same pixels on
// every machine. The characters are the printable ASCII bytes 32..126; any
// other byte shows as '?'. Positions are the viewport's pixels, x to the
// right and y down, (0, 0) its top left corner.
#include <span>
#include <string>
#include <vector>

// The pixels a text takes: its characters' advances across, one line of 12
// down (the glyphs and the space below them); an empty text takes none.
struct TTextBox {
  int Width = 0;
  int Height = 0;
};
TTextBox MeasureText(const std::string& Text);

// The character a byte shows as.
char ShownCharacter(char Byte);

// Draws Text with its box's top left corner at (X, Y), in the colour (Red,
// Green, Blue), on the current context, filled and over whatever is drawn
// (no depth test, no culling, no texture, no lighting, no blending), and puts
// back every state it changes: the matrices and the matrix mode, the enabled
// capabilities, the polygon mode, the current colour and the vertex arrays;
// the quads go as vertex arrays, not through glBegin. Characters that lie
// wholly outside the viewport are not built, so a long text costs no more
// than the drawing's width.
void DrawText(const std::string& Text, int X, int Y, float Red, float Green, float Blue);

// Texts placed for DrawTexts.
struct TTextAt {
  const std::string* Text = nullptr;
  int X = 0, Y = 0;
};
// DrawText for every text of Texts, in one colour: the state is set once and
// the quads go in a few large batches, so a drawing's many names cost a few
// draws, not one each.
void DrawTexts(std::span<const TTextAt> Texts, float Red, float Green, float Blue);

// The quads of texts built once and drawn as often as needed, as DrawTexts
// draws them: for texts that stay the same while the frame is drawn again,
// whose glyphs are then laid out once and not at every frame.
class TTextQuads {
public:
  // Text with its box's top left corner at (X, Y), in a viewport of Width x
  // Height (characters wholly outside it are not built).
  void Add(const std::string& Text, int X, int Y, int Width, int Height);
  void Draw(float Red, float Green, float Blue) const;
  void Clear() { FVertices.clear(); }
  bool Empty() const { return FVertices.empty(); }

private:
  std::vector<float> FVertices;  // four a vertex: x, y, and the font's z and colour
};
