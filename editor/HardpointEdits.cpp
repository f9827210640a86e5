#include "editor/HardpointEdits.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "gl/gltools.h"
#include "runtime/FloatErrors.h"
#include "runtime/NumberFormat.h"

TGridTexts IdentityGridTexts() {
  TGridTexts Texts;
  for (int I = 0; I < 16; ++I) Texts[I] = (I % 5 == 0) ? "1.000" : "0.000";
  return Texts;
}

void ShowMatrix(std::span<const float, 16> Matrix, TGridTexts& Texts) {
  for (int I = 0; I < 16; ++I) Texts[I] = FormatFixed3(Matrix[I]);
}

TGridStore StoreGrid(const TGridTexts& Texts, std::span<const float, 16> Stored, TGridStoreMode Mode, int Box) {
  TGridStore Store;
  std::copy(Stored.begin(), Stored.end(), Store.Matrix.begin());
  TGridTexts Shown;
  ShowMatrix(Stored, Shown);
  for (int I = 0; I < 16; ++I) {
    if (Texts[I] == Shown[I]) continue;
    if (Mode == TGridStoreMode::Written || (Mode == TGridStoreMode::Entered && I == Box)) {
      Store.Matrix[size_t(I)] = StrToFloat(Texts[I]);
      continue;
    }
    // A number half typed is what a box holds between two keys: its value
    // waits for the rest of it.
    try {
      Store.Matrix[size_t(I)] = StrToFloat(Texts[I]);
    } catch (const EConvertError&) {
    } catch (const EOverflow&) {}
  }
  Store.Changed = std::memcmp(Store.Matrix.data(), Stored.data(), sizeof Store.Matrix) != 0;
  return Store;
}

void NormaliseRow(TGridTexts& Texts, int Row) {
  const int First = 4 * Row;
  float V[3];
  for (int I = 0; I < 3; ++I) V[I] = StrToFloat(Texts[First + I]);

  long double SumOfSquares = 0;
  for (float C : V) SumOfSquares += static_cast<long double>(C) * C;
  const float Length = ToSingle(FloatSqrt(static_cast<double>(SumOfSquares)));

  if (std::fabs(static_cast<long double>(Length) - 1.0L) > 0.000001L) {
    float Scaled[3];
    // A row of length 0 is 0/0 here: "Invalid floating point operation".
    for (int I = 0; I < 3; ++I) Scaled[I] = ToSingle(FloatDivide(V[I], Length));
    for (int I = 0; I < 3; ++I) V[I] = Scaled[I];
  }
  for (int I = 0; I < 3; ++I) Texts[First + I] = FormatFixed3(V[I]);
}

TRotationAngles OfferedAngles(std::span<const float, 16> Matrix) {
  TRotationAngles A;
  MatrixToAngles(Matrix.data(), A.X, A.Y, A.Z);
  return A;
}

std::array<double, 16> ComposeRotation(float AX, float AY, float AZ) {
  std::array<double, 16> R{};
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  // Outermost first: the product is Rz * Ry * Rx, so a column vector is
  // turned about X first, as the offered angles assume.
  glRotatef(AZ, 0, 0, 1);
  glRotatef(AY, 0, 1, 0);
  glRotatef(AX, 1, 0, 0);
  glGetDoublev(GL_MODELVIEW_MATRIX, R.data());
  glPopMatrix();
  return R;
}

void WriteRotationTexts(const std::array<double, 16>& R, TGridTexts& Texts) {
  for (int I = 0; I < 12; ++I) Texts[I] = FormatFixed3(static_cast<float>(R[I]));
  Texts[15] = FormatFixed3(static_cast<float>(R[15]));
}

void CreateRotation(std::span<const float, 16> Matrix, TGridTexts& Texts, const TAskText& Ask) {
  const TRotationAngles Offered = OfferedAngles(Matrix);
  const std::string Caption = "Create Rotation";
  const float AX = StrToFloat(Ask(Caption, "X Axis:", FormatFixed2(Offered.X)));
  const float AY = StrToFloat(Ask(Caption, "Y Axis:", FormatFixed2(Offered.Y)));
  const float AZ = StrToFloat(Ask(Caption, "Z Axis:", FormatFixed2(Offered.Z)));
  WriteRotationTexts(ComposeRotation(AX, AY, AZ), Texts);
}
