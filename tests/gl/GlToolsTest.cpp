#include "gl/gltools.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "runtime/FloatErrors.h"
#include "tests/support/ErrorMessage.h"

namespace {

// --- FloatsEqual ----------------------------------------------------------

TEST(FloatsEqual, ToleratesLessThanOneMillionth) {
  EXPECT_FALSE(FloatsEqual(0.000002f, 0));
  EXPECT_TRUE(FloatsEqual(0.0000005f, 0));
  EXPECT_TRUE(FloatsEqual(1, 1));
  EXPECT_TRUE(FloatsEqual(-0.0f, 0.0f));
  // The difference is taken exactly: 1.000001f lies 9.54e-7 above 1, and
  // eight float steps above that is past the tolerance.
  EXPECT_TRUE(FloatsEqual(1.000001f, 1));
  EXPECT_FALSE(FloatsEqual(1.00000107f, 1));
  EXPECT_FALSE(FloatsEqual(1e30f, -1e30f));
}

TEST(FloatsEqual, ValuesWithoutAValueAreNeverEqual) {
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  const float Infinity = std::numeric_limits<float>::infinity();
  EXPECT_FALSE(FloatsEqual(NaN, NaN));
  EXPECT_FALSE(FloatsEqual(Infinity, Infinity));
}

// --- MatrixToAngles -------------------------------------------------------

using TMatrix = std::array<float, 16>;

TMatrix Identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

double Radians(double Degrees) { return Degrees * std::numbers::pi / 180; }

// Column-major right-handed rotations, as OpenGL builds them.
TMatrix RotationX(double Degrees) {
  const float C = float(std::cos(Radians(Degrees))), S = float(std::sin(Radians(Degrees)));
  return {1, 0, 0, 0, 0, C, S, 0, 0, -S, C, 0, 0, 0, 0, 1};
}
TMatrix RotationY(double Degrees) {
  const float C = float(std::cos(Radians(Degrees))), S = float(std::sin(Radians(Degrees)));
  return {C, 0, -S, 0, 0, 1, 0, 0, S, 0, C, 0, 0, 0, 0, 1};
}
TMatrix RotationZ(double Degrees) {
  const float C = float(std::cos(Radians(Degrees))), S = float(std::sin(Radians(Degrees)));
  return {C, S, 0, 0, -S, C, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}
TMatrix Times(const TMatrix& A, const TMatrix& B) {
  TMatrix Product{};
  for (int Column = 0; Column < 4; ++Column)
    for (int Row = 0; Row < 4; ++Row) {
      double Sum = 0;
      for (int K = 0; K < 4; ++K) Sum += double(A[K * 4 + Row]) * double(B[Column * 4 + K]);
      Product[Column * 4 + Row] = float(Sum);
    }
  return Product;
}

struct TAngles {
  float X, Y, Z;
};
TAngles AnglesOf(const TMatrix& Matrix) {
  TAngles A{};
  MatrixToAngles(Matrix.data(), A.X, A.Y, A.Z);
  return A;
}

constexpr float AngleTolerance = 1e-4f;

TEST(MatrixToAngles, DecomposesZTimesYTimesX) {
  TMatrix Moved = RotationY(30);
  Moved[12] = 5;
  Moved[13] = -7;
  Moved[14] = 100;
  struct TCase {
    const char* What;
    TMatrix Matrix;
    TAngles Expected;
    float Tolerance;
  };
  const TCase Cases[] = {
      {"the identity has no rotation", Identity(), {0, 0, 0}, 0},
      {"about x alone", RotationX(30), {30, 0, 0}, AngleTolerance},
      {"about y alone", RotationY(30), {0, 30, 0}, AngleTolerance},
      {"about z alone", RotationZ(30), {0, 0, 30}, AngleTolerance},
      {"about z alone, negative", RotationZ(-135), {0, 0, -135}, AngleTolerance},
      {"z times y times x",
       Times(RotationZ(-50), Times(RotationY(20), RotationX(110))),
       {110, 20, -50},
       AngleTolerance},
      {"translation plays no part", Moved, {0, 30, 0}, AngleTolerance},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.What);
    const TAngles A = AnglesOf(Case.Matrix);
    EXPECT_NEAR(A.X, Case.Expected.X, Case.Tolerance);
    EXPECT_NEAR(A.Y, Case.Expected.Y, Case.Tolerance);
    EXPECT_NEAR(A.Z, Case.Expected.Z, Case.Tolerance);
  }
}

TEST(MatrixToAngles, AtARightAngleAboutYAllTurnGoesToX) {
  TMatrix M{};
  M[2] = -1;
  M[4] = 0.5f;
  M[5] = 0.8660254f;
  M[15] = 1;
  const TAngles A = AnglesOf(M);
  EXPECT_EQ(A.Y, 90);
  EXPECT_EQ(A.Z, 0);
  EXPECT_NEAR(A.X, 30, AngleTolerance);
  // Y at -90 too; e4/e5 decide X whatever e6 and e10 hold.
  M[2] = 1;
  M[6] = 1;
  M[10] = 1;
  const TAngles B = AnglesOf(M);
  EXPECT_EQ(B.Y, -90);
  EXPECT_EQ(B.Z, 0);
  EXPECT_NEAR(B.X, 30, AngleTolerance);
}

TEST(MatrixToAngles, AnE2OutsideMinusOneToOneIsAnInvalidOperation) {
  for (float E2 : {-1.0000001f, 1.5f, -2.0f, std::numeric_limits<float>::quiet_NaN()}) {
    TMatrix M = Identity();
    M[2] = E2;
    float X = 7, Y = 7, Z = 7;
    EXPECT_EQ(MessageOf<EInvalidOp>([&] { MatrixToAngles(M.data(), X, Y, Z); }), "Invalid floating point operation")
        << E2;
    EXPECT_EQ(X, 7);  // nothing is written before the failure
  }
}

// --- Pixel format and palette ---------------------------------------------

TEST(PixelFormat, TheRequestSetsOnlyItsSevenFields) {
  TPixelFormatDescriptor Expected;
  std::memset(&Expected, 0, sizeof Expected);
  Expected.nSize = 40;
  Expected.nVersion = 1;
  Expected.dwFlags = 0x25;
  Expected.iPixelType = 0;
  Expected.cColorBits = 24;
  Expected.cDepthBits = 32;
  Expected.iLayerType = 0;
  const TPixelFormatDescriptor Request = PixelFormatRequest();
  EXPECT_EQ(std::memcmp(&Request, &Expected, sizeof Request), 0);
}

TPixelFormatDescriptor PaletteFormat(uint8_t Red, uint8_t Green, uint8_t Blue) {
  TPixelFormatDescriptor Format{};
  Format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_NEED_PALETTE;
  Format.cColorBits = uint8_t(Red + Green + Blue);
  Format.cRedBits = Red;
  Format.cGreenBits = Green;
  Format.cGreenShift = Red;
  Format.cBlueBits = Blue;
  Format.cBlueShift = uint8_t(Red + Green);
  return Format;
}

TEST(Palette, OnlyAFormatThatNeedsOneGetsOne) {
  TPixelFormatDescriptor Format = PaletteFormat(3, 3, 2);
  Format.dwFlags &= ~PFD_NEED_PALETTE;
  EXPECT_TRUE(BuildPalette(Format).empty());
  EXPECT_TRUE(BuildPalette(PixelFormatRequest()).empty());
}

TEST(Palette, ThreeThreeTwoSpreadsEachChannelOverTheByte) {
  const std::vector<TPaletteEntry> P = BuildPalette(PaletteFormat(3, 3, 2));
  ASSERT_EQ(P.size(), 256u);
  EXPECT_EQ(P[0], (TPaletteEntry{0, 0, 0, 0}));
  EXPECT_EQ(P[255], (TPaletteEntry{255, 255, 255, 0}));
  EXPECT_EQ(P[7], (TPaletteEntry{255, 0, 0, 0}));
  EXPECT_EQ(P[56], (TPaletteEntry{0, 255, 0, 0}));
  EXPECT_EQ(P[192], (TPaletteEntry{0, 0, 255, 0}));
  const uint8_t Ladder8[] = {0, 36, 72, 109, 145, 182, 218, 255};
  const uint8_t Ladder4[] = {0, 85, 170, 255};
  for (int I = 0; I < 8; ++I) {
    EXPECT_EQ(P[I].peRed, Ladder8[I]);
    EXPECT_EQ(P[I << 3].peGreen, Ladder8[I]);
  }
  for (int I = 0; I < 4; ++I) EXPECT_EQ(P[I << 6].peBlue, Ladder4[I]);
  for (const TPaletteEntry& Entry : P) EXPECT_EQ(Entry.peFlags, 0);
}

TEST(Palette, AChannelWithoutBitsStaysDark) {
  const std::vector<TPaletteEntry> P = BuildPalette(PaletteFormat(3, 3, 0));
  ASSERT_EQ(P.size(), 64u);
  for (const TPaletteEntry& Entry : P) EXPECT_EQ(Entry.peBlue, 0);
  EXPECT_EQ(P[63], (TPaletteEntry{255, 255, 0, 0}));
}

TEST(Palette, DepthsNoPaletteDisplayHasMakeNone) {
  EXPECT_TRUE(BuildPalette(PaletteFormat(8, 8, 8)).empty());
  EXPECT_EQ(BuildPalette(PaletteFormat(4, 4, 4)).size(), 4096u);
}

// --- Context slots --------------------------------------------------------

// A back end that hands out numbered handles and writes down each call.
class TRecordingBackend : public TContextBackend {
public:
  explicit TRecordingBackend(std::string Name) : FName(std::move(Name)) {}
  std::vector<std::string> Calls;
  TPixelFormatDescriptor Grant = PixelFormatRequest();
  TPixelFormatDescriptor Requested{};
  size_t PaletteSize = 0;
  void* DC = reinterpret_cast<void*>(0x1D);
  void* RC = reinterpret_cast<void*>(0x2C);

  TDeviceContext GetDC(TWindowHandle Window) override {
    Calls.push_back(FName + ".GetDC " + Hex(Window));
    return DC;
  }
  void ChooseAndSetPixelFormat(TDeviceContext Handle, TPixelFormatDescriptor& Format) override {
    Calls.push_back(FName + ".ChooseAndSetPixelFormat " + Hex(Handle));
    Requested = Format;
    Format = Grant;
  }
  void SelectPalette(TDeviceContext Handle, const std::vector<TPaletteEntry>& Entries) override {
    Calls.push_back(FName + ".SelectPalette " + Hex(Handle));
    PaletteSize = Entries.size();
  }
  TRenderContext CreateContext(TDeviceContext Handle) override {
    Calls.push_back(FName + ".CreateContext " + Hex(Handle));
    return RC;
  }
  void MakeCurrent(TDeviceContext D, TRenderContext R) override {
    Calls.push_back(FName + ".MakeCurrent " + Hex(D) + " " + Hex(R));
  }
  void SwapBuffers(TDeviceContext Handle) override { Calls.push_back(FName + ".SwapBuffers " + Hex(Handle)); }
  void DeleteContext(TRenderContext Handle) override { Calls.push_back(FName + ".DeleteContext " + Hex(Handle)); }
  void ReleaseDC(TWindowHandle Window, TDeviceContext Handle) override {
    Calls.push_back(FName + ".ReleaseDC " + Hex(Window) + " " + Hex(Handle));
  }

private:
  static std::string Hex(const void* P) {
    char Text[32];
    std::snprintf(Text, sizeof Text, "%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(P)));
    return Text;
  }
  std::string FName;
};

class ContextSlots : public ::testing::Test {
protected:
  void TearDown() override {
    for (int Slot = 5; Slot < ContextSlotCount; ++Slot) {
      if (SlotBackend(Slot)) DestroyRenderContext(Window, Slot);
      DeviceContexts[Slot] = nullptr;
      RenderContexts[Slot] = nullptr;
    }
    SetContextBackend(nullptr);
  }
  TWindowHandle Window = reinterpret_cast<void*>(0x77);
  TRecordingBackend Backend{"A"};
  TRecordingBackend Other{"B"};
};

TEST_F(ContextSlots, CreatingASlotGetsTheDCSetsTheFormatCreatesAndActivates) {
  SetContextBackend(&Backend);
  CreateRenderContext(Window, 5);
  EXPECT_EQ(Backend.Calls, (std::vector<std::string>{"A.GetDC 77", "A.ChooseAndSetPixelFormat 1d", "A.CreateContext 1d",
                                                     "A.MakeCurrent 1d 2c"}));
  EXPECT_EQ(DeviceContexts[5], Backend.DC);
  EXPECT_EQ(RenderContexts[5], Backend.RC);
  const TPixelFormatDescriptor Request = PixelFormatRequest();
  EXPECT_EQ(std::memcmp(&Backend.Requested, &Request, sizeof Request), 0);
}

TEST_F(ContextSlots, APaletteIsSelectedOnlyWhenTheGrantedFormatNeedsOne) {
  SetContextBackend(&Backend);
  CreateRenderContext(Window, 5);
  EXPECT_EQ(Backend.PaletteSize, 0u);
  Backend.Calls.clear();
  Backend.Grant = PaletteFormat(3, 3, 2);
  CreateRenderContext(Window, 6);
  ASSERT_EQ(Backend.Calls.size(), 5u);
  EXPECT_EQ(Backend.Calls[2], "A.SelectPalette 1d");
  EXPECT_EQ(Backend.PaletteSize, 256u);
}

TEST_F(ContextSlots, ActivateSwapAndDestroyUseTheSlotsHandles) {
  SetContextBackend(&Backend);
  CreateRenderContext(Window, 7);
  Backend.Calls.clear();
  ActivateRenderContext(7);
  SwapRenderBuffers(7);
  DestroyRenderContext(Window, 7);
  EXPECT_EQ(Backend.Calls, (std::vector<std::string>{"A.MakeCurrent 1d 2c", "A.SwapBuffers 1d", "A.MakeCurrent 0 0",
                                                     "A.DeleteContext 2c", "A.ReleaseDC 77 1d"}));
  // The tables keep the old handles; the slot no longer reaches them.
  EXPECT_EQ(DeviceContexts[7], Backend.DC);
  EXPECT_EQ(RenderContexts[7], Backend.RC);
  EXPECT_EQ(SlotBackend(7), nullptr);
  Backend.Calls.clear();
  ActivateRenderContext(7);
  SwapRenderBuffers(7);
  EXPECT_TRUE(Backend.Calls.empty());
}

TEST_F(ContextSlots, ASlotKeepsTheBackEndItWasCreatedOn) {
  SetContextBackend(&Backend);
  CreateRenderContext(Window, 5);
  SetContextBackend(&Other);
  CreateRenderContext(Window, 6);
  EXPECT_EQ(SlotBackend(5), &Backend);
  EXPECT_EQ(SlotBackend(6), &Other);
  Backend.Calls.clear();
  Other.Calls.clear();
  ActivateRenderContext(5);
  SwapRenderBuffers(6);
  EXPECT_EQ(Backend.Calls, (std::vector<std::string>{"A.MakeCurrent 1d 2c"}));
  EXPECT_EQ(Other.Calls, (std::vector<std::string>{"B.SwapBuffers 1d"}));
}

TEST_F(ContextSlots, WithoutABackEndASlotGetsZeroHandlesAndDoesNothing) {
  DeviceContexts[5] = Backend.DC;
  CreateRenderContext(Window, 5);
  EXPECT_EQ(DeviceContexts[5], nullptr);
  EXPECT_EQ(RenderContexts[5], nullptr);
  ActivateRenderContext(5);
  SwapRenderBuffers(5);
  DestroyRenderContext(Window, 5);
}

TEST_F(ContextSlots, ASlotOutsideTheTablesIsRefused) {
  SetContextBackend(&Backend);
  for (int Slot : {-1, 8, 1000}) {
    EXPECT_EQ(MessageOf<EContextSlot>([&] { CreateRenderContext(Window, Slot); }),
              "gltools: context slot " + std::to_string(Slot) + " is outside 0..7");
  }
  EXPECT_THROW(ActivateRenderContext(8), EContextSlot);
  EXPECT_THROW(SwapRenderBuffers(-1), EContextSlot);
  EXPECT_THROW(DestroyRenderContext(Window, 8), EContextSlot);
  EXPECT_THROW(SlotBackend(8), EContextSlot);
  EXPECT_TRUE(Backend.Calls.empty());
}

}  // namespace
