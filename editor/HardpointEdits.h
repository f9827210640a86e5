#pragma once
// The hardpoint grid's logic without its edit boxes: the sixteen texts of
// edH1..edH16 (index 0..15, e0..e15 of the column-major Matrix, four to a
// grid row) and what the key press, the "u" buttons and the "r" button do
// with them.
#include <array>
#include <functional>
#include <span>
#include <string>

using TGridTexts = std::array<std::string, 16>;

// The grid before any hardpoint is shown: the identity, "1.000" on the
// diagonal and "0.000" elsewhere.
TGridTexts IdentityGridTexts();

// lbHardsClick's display step: e0..e15, each "0.000", into the sixteen texts.
// The matrix itself is not touched and keeps its full precision.
void ShowMatrix(std::span<const float, 16> Matrix, TGridTexts& Texts);

// Why the grid is stored, which decides what a box whose text does not read
// as a number does.
enum class TGridStoreMode {
  // A character key in a box. The store sees the box's text before the key,
  // so a number being typed ("-", "1e", an emptied box) is no error: such a
  // box keeps its stored value, and the key goes on to the box.
  Typing,
  // Enter in box Box, or leaving it: its text is what the user means, and
  // raises its error when it does not read; other boxes as in Typing.
  Entered,
  // The end of "u" or "r", which wrote the texts: every text must read.
  Written,
};

// What a store does to the hardpoint whose matrix is Stored.
struct TGridStore {
  std::array<float, 16> Matrix{};  // what the hardpoint holds afterwards
  bool Changed = false;            // Matrix differs from Stored in some bit: a step of the history
};

// The store of the sixteen texts: a value whose text is still the one shown
// for it (ShowMatrix of Stored) keeps its stored bits, so that typing one
// value never rounds the others to three decimals; a value whose text
// differs takes the text's number. A text that must read and does not
// raises its error (EConvertError "'<text>' is not a valid floating point
// value", or EOverflow; the first such box in grid order) before anything
// is decided, so the hardpoint keeps all sixteen values.
TGridStore StoreGrid(const TGridTexts& Texts, std::span<const float, 16> Stored, TGridStoreMode Mode, int Box = -1);

// "u" for grid row Row (0, 1 or 2: boxes 4*Row .. 4*Row+2): the row's length
// is taken in extended precision and kept as a 32-bit float; unless it lies
// within 0.000001 of 1 the three values are divided by it; they are written
// back "0.000". The grey box of the row is not touched. A text that is not a
// number raises EConvertError, a row of length 0 "Invalid floating point
// operation"; in both cases no text changes. The caller stores the grid
// afterwards.
void NormaliseRow(TGridTexts& Texts, int Row);

// "r": the angles the prompts offer, from the stored matrix (MatrixToAngles).
// An e2 outside -1..1 raises "Invalid floating point operation".
struct TRotationAngles {
  float X = 0, Y = 0, Z = 0;
};
TRotationAngles OfferedAngles(std::span<const float, 16> Matrix);

// The rotation for the angles ax, ay, az (degrees), built with OpenGL's own
// matrix stack on the current context: the model-view matrix is saved, the
// identity loaded, glRotate about Z by az, then about Y by ay, then about X
// by ax, the result read back in double precision and the saved matrix
// restored. The product is Rz(az) * Ry(ay) * Rx(ax): the composition whose
// angles MatrixToAngles gives back, so accepting the offered angles
// reproduces the stored rotation; a single-axis rotation is the same in
// either order (90, 0, 0 gives the rows (1,0,0), (0,0,1), (0,-1,0)).
// Needs a current OpenGL context.
std::array<double, 16> ComposeRotation(float AX, float AY, float AZ);

// Writes r0..r11 into edH1..edH12 and r15 into edH16, each "0.000"; the
// position boxes edH13..edH15 keep their texts.
void WriteRotationTexts(const std::array<double, 16>& R, TGridTexts& Texts);

// The input box: caption, prompt and default text in; the edited text on OK,
// the default text on Cancel.
using TAskText =
    std::function<std::string(const std::string& Caption, const std::string& Prompt, const std::string& DefaultText)>;

// Button6Click's work on a selected hardpoint's stored Matrix: offers the
// angles ("Create Rotation", prompts "X Axis:", "Y Axis:", "Z Axis:", each
// default "0.00"), converts each answer, composes the rotation and writes it
// into the texts. Any failure (angles not derivable, an answer that is not a
// number) raises before a text changes. The caller stores the grid
// afterwards. Needs a current OpenGL context.
void CreateRotation(std::span<const float, 16> Matrix, TGridTexts& Texts, const TAskText& Ask);
