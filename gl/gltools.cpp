#include "gl/gltools.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "runtime/FloatErrors.h"

TDeviceContext DeviceContexts[ContextSlotCount] = {};
TRenderContext RenderContexts[ContextSlotCount] = {};

namespace {

TContextBackend* ChosenBackend = nullptr;
// The back end each slot was created on, so that a slot keeps talking to it
// when another back end has been chosen since.
TContextBackend* SlotBackends[ContextSlotCount] = {};

int CheckedSlot(int Slot) {
  if (Slot < 0 || Slot >= ContextSlotCount)
    throw EContextSlot("gltools: context slot " + std::to_string(Slot) + " is outside 0.." +
                       std::to_string(ContextSlotCount - 1));
  return Slot;
}

// One colour channel of palette entry Index: its bits spread over 0..255.
uint8_t PaletteChannel(uint32_t Index, uint8_t Bits, uint8_t Shift) {
  const uint8_t Maximum = static_cast<uint8_t>((1u << std::min<unsigned>(Bits, 8)) - 1);
  // A channel without bits has no levels to spread: it stays dark.
  if (Maximum == 0) return 0;
  const uint32_t Level = Shift >= 32 ? 0 : (Index >> Shift) & Maximum;
  return static_cast<uint8_t>(Level * 255 / Maximum);
}

}  // namespace

TPixelFormatDescriptor PixelFormatRequest() {
  TPixelFormatDescriptor Request{};
  Request.nSize = sizeof(TPixelFormatDescriptor);
  Request.nVersion = 1;
  Request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  Request.iPixelType = PFD_TYPE_RGBA;
  Request.cColorBits = 24;
  Request.cDepthBits = 32;
  Request.iLayerType = PFD_MAIN_PLANE;
  return Request;
}

bool operator==(const TPaletteEntry& A, const TPaletteEntry& B) {
  return A.peRed == B.peRed && A.peGreen == B.peGreen && A.peBlue == B.peBlue && A.peFlags == B.peFlags;
}

std::vector<TPaletteEntry> BuildPalette(const TPixelFormatDescriptor& Granted) {
  std::vector<TPaletteEntry> Entries;
  if ((Granted.dwFlags & PFD_NEED_PALETTE) == 0 || Granted.cColorBits > 16) return Entries;
  const uint32_t Count = 1u << Granted.cColorBits;
  Entries.reserve(Count);
  for (uint32_t I = 0; I < Count; ++I)
    Entries.push_back({PaletteChannel(I, Granted.cRedBits, Granted.cRedShift),
                       PaletteChannel(I, Granted.cGreenBits, Granted.cGreenShift),
                       PaletteChannel(I, Granted.cBlueBits, Granted.cBlueShift), 0});
  return Entries;
}

void SetContextBackend(TContextBackend* Backend) { ChosenBackend = Backend; }
TContextBackend* ContextBackend() { return ChosenBackend; }

TContextBackend* SlotBackend(int Slot) { return SlotBackends[CheckedSlot(Slot)]; }

void SetupPixelFormat(TDeviceContext DC) {
  if (!ChosenBackend) return;
  TPixelFormatDescriptor Format = PixelFormatRequest();
  ChosenBackend->ChooseAndSetPixelFormat(DC, Format);
  const std::vector<TPaletteEntry> Palette = BuildPalette(Format);
  if (!Palette.empty()) ChosenBackend->SelectPalette(DC, Palette);
}

void CreateRenderContext(TWindowHandle Window, int Slot) {
  CheckedSlot(Slot);
  SlotBackends[Slot] = ChosenBackend;
  if (!ChosenBackend) {
    DeviceContexts[Slot] = nullptr;
    RenderContexts[Slot] = nullptr;
    return;
  }
  DeviceContexts[Slot] = ChosenBackend->GetDC(Window);
  SetupPixelFormat(DeviceContexts[Slot]);
  RenderContexts[Slot] = ChosenBackend->CreateContext(DeviceContexts[Slot]);
  ActivateRenderContext(Slot);
}

void ActivateRenderContext(int Slot) {
  if (TContextBackend* Backend = SlotBackends[CheckedSlot(Slot)])
    Backend->MakeCurrent(DeviceContexts[Slot], RenderContexts[Slot]);
}

void SwapRenderBuffers(int Slot) {
  if (TContextBackend* Backend = SlotBackends[CheckedSlot(Slot)]) Backend->SwapBuffers(DeviceContexts[Slot]);
}

TSlotContextReleased::TSlotContextReleased(int Slot, bool Live) : FSlot(Slot), FLive(Live) {
  if (!FLive) return;
  if (TContextBackend* Backend = SlotBackend(FSlot)) Backend->MakeCurrent(nullptr, nullptr);
}

TSlotContextReleased::~TSlotContextReleased() {
  if (FLive) ActivateRenderContext(FSlot);
}

void DestroyRenderContext(TWindowHandle Window, int Slot) {
  TContextBackend* Backend = SlotBackends[CheckedSlot(Slot)];
  if (!Backend) return;
  Backend->MakeCurrent(nullptr, nullptr);
  Backend->DeleteContext(RenderContexts[Slot]);
  Backend->ReleaseDC(Window, DeviceContexts[Slot]);
  // The handles stay in the tables; only the slot's tie to the back end goes,
  // so that a stale slot cannot reach the deleted context again.
  SlotBackends[Slot] = nullptr;
}

bool FloatsEqual(float A, float B) {
  return std::fabs(static_cast<long double>(A) - static_cast<long double>(B)) < 0.000001L;
}

void MatrixToAngles(const float Matrix[16], float& X, float& Y, float& Z) {
  constexpr double DegreesPerRadian = 180.0 / std::numbers::pi;
  // asin(s) as atan2(s, sqrt(1 - s^2)): outside -1..1 the square root fails.
  const double Sine = -static_cast<double>(Matrix[2]);
  const float AngleY = ToSingle(std::atan2(Sine, FloatSqrt(1.0 - Sine * Sine)));
  double AngleX;
  double AngleZ;
  if (FloatsEqual(static_cast<float>(std::cos(static_cast<double>(AngleY))), 0)) {
    // Y at a right angle: X and Z turn about the same axis; all goes to X.
    AngleX = std::atan2(static_cast<double>(Matrix[4]), static_cast<double>(Matrix[5]));
    AngleZ = 0;
  } else {
    AngleX = std::atan2(static_cast<double>(Matrix[6]), static_cast<double>(Matrix[10]));
    AngleZ = std::atan2(static_cast<double>(Matrix[1]), static_cast<double>(Matrix[0]));
  }
  X = ToSingle(AngleX * DegreesPerRadian);
  Y = ToSingle(static_cast<double>(AngleY) * DegreesPerRadian);
  Z = ToSingle(AngleZ * DegreesPerRadian);
}
