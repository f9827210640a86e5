#pragma once
// gltools: binds an OpenGL rendering context to a window through eight
// context slots, and two numeric routines the hardpoint editor shares.
//
// The slot operations keep their classic meaning: a slot pairs the device
// context of one window with the rendering context created on it. How a
// platform actually binds OpenGL to a window lives in a back end
// (TContextBackend); the slot operations only sequence its calls and keep the
// tables. Two back ends exist: the headless one (gl/HeadlessContext.h, EGL,
// no display needed) and the one of the editor's Qt window (gl/qt/).
//
// A back end is chosen with SetContextBackend before CreateRenderContext; the
// slot remembers the back end it was created on, so ActivateRenderContext,
// SwapRenderBuffers and DestroyRenderContext of that slot reach the same back
// end even when another one has been chosen since (a headless picture may be
// drawn while the window's slot lives).
//
// Like the platform operations they stand for, the slot operations report no
// failure: a back end that cannot give a device or rendering context hands
// back a zero handle, which is stored and used as it is (drawing then has no
// effect). Without any back end chosen, CreateRenderContext stores zero
// handles. Callers that must know (tests, pictures) check the stored handles
// or use THeadlessGL, which raises an error instead.
#include <cstdint>
#include <vector>

#include "runtime/Exception.h"

// A slot number outside 0..7: "gltools: context slot N is outside 0..7".
QUELBIR_EXCEPTION(EContextSlot);

// Opaque handles; their meaning belongs to the back end that made them.
using TWindowHandle = void*;
using TDeviceContext = void*;
using TRenderContext = void*;

constexpr int ContextSlotCount = 8;

// Indexed by slot 0..7; zero until a slot is created, and not cleared when a
// slot is destroyed (the old handles stay, and must not be used again). The
// slot operations raise EContextSlot for a slot outside the tables rather
// than reach past them.
extern TDeviceContext DeviceContexts[ContextSlotCount];
extern TRenderContext RenderContexts[ContextSlotCount];

// The 40-byte pixel format descriptor, field by field in its stored order.
struct TPixelFormatDescriptor {
  uint16_t nSize;
  uint16_t nVersion;
  uint32_t dwFlags;
  uint8_t iPixelType;
  uint8_t cColorBits;
  uint8_t cRedBits;
  uint8_t cRedShift;
  uint8_t cGreenBits;
  uint8_t cGreenShift;
  uint8_t cBlueBits;
  uint8_t cBlueShift;
  uint8_t cAlphaBits;
  uint8_t cAlphaShift;
  uint8_t cAccumBits;
  uint8_t cAccumRedBits;
  uint8_t cAccumGreenBits;
  uint8_t cAccumBlueBits;
  uint8_t cAccumAlphaBits;
  uint8_t cDepthBits;
  uint8_t cStencilBits;
  uint8_t cAuxBuffers;
  uint8_t iLayerType;
  uint8_t bReserved;
  uint32_t dwLayerMask;
  uint32_t dwVisibleMask;
  uint32_t dwDamageMask;
};
static_assert(sizeof(TPixelFormatDescriptor) == 40, "the descriptor is 40 bytes");

constexpr uint32_t PFD_DOUBLEBUFFER = 0x01;
constexpr uint32_t PFD_DRAW_TO_WINDOW = 0x04;
constexpr uint32_t PFD_SUPPORT_OPENGL = 0x20;
constexpr uint32_t PFD_NEED_PALETTE = 0x80;
constexpr uint8_t PFD_TYPE_RGBA = 0;
constexpr uint8_t PFD_MAIN_PLANE = 0;

// What every window asks for: double-buffered RGBA drawn by OpenGL into the
// window, 24 colour bits, a 32-bit depth buffer, the main plane; every other
// field 0.
TPixelFormatDescriptor PixelFormatRequest();

struct TPaletteEntry {
  uint8_t peRed;
  uint8_t peGreen;
  uint8_t peBlue;
  uint8_t peFlags;
};
bool operator==(const TPaletteEntry& A, const TPaletteEntry& B);

// The logical palette for a granted format: empty unless its flags hold
// PFD_NEED_PALETTE, else 2^cColorBits entries, each channel spread evenly
// over 0..255 from its bits and shift. A channel granted no bits reads 0 in
// every entry. Colour depths above 16 bits make no palette (no palette
// display has them, and the table would not fit in memory).
std::vector<TPaletteEntry> BuildPalette(const TPixelFormatDescriptor& Granted);

// How one platform binds OpenGL to a window. Each call stands for the
// platform operation of the same name; none reports failure (zero handles
// instead, see above).
class TContextBackend {
public:
  virtual ~TContextBackend() = default;
  // The window's device context, kept for the life of the rendering context.
  virtual TDeviceContext GetDC(TWindowHandle Window) = 0;
  // Chooses the available format that best matches Format, gives it to the
  // device context, and overwrites Format with what was granted.
  virtual void ChooseAndSetPixelFormat(TDeviceContext DC, TPixelFormatDescriptor& Format) = 0;
  // Creates a palette from Entries, selects it into the device context as
  // the foreground palette and realizes it. Only called for formats that need
  // one; a back end without palette displays ignores it.
  virtual void SelectPalette(TDeviceContext DC, const std::vector<TPaletteEntry>& Entries) {
    (void)DC;
    (void)Entries;
  }
  // A new rendering context on the device context.
  virtual TRenderContext CreateContext(TDeviceContext DC) = 0;
  // Binds RC to DC for the calling thread; (nullptr, nullptr) unbinds.
  virtual void MakeCurrent(TDeviceContext DC, TRenderContext RC) = 0;
  // Presents the back buffer of the device context.
  virtual void SwapBuffers(TDeviceContext DC) = 0;
  virtual void DeleteContext(TRenderContext RC) = 0;
  // Returns the device context to the window.
  virtual void ReleaseDC(TWindowHandle Window, TDeviceContext DC) = 0;
};

// The back end the next CreateRenderContext uses; nullptr for none. The
// caller keeps ownership and keeps it alive while slots created on it live.
void SetContextBackend(TContextBackend* Backend);
TContextBackend* ContextBackend();

// The back end a live slot was created on; nullptr for a slot never created,
// created without a back end, or destroyed since.
TContextBackend* SlotBackend(int Slot);

// Gets the window's device context into DeviceContexts[Slot], sets its pixel
// format, creates the rendering context into RenderContexts[Slot] and makes
// it current.
void CreateRenderContext(TWindowHandle Window, int Slot);
// Requests and sets the pixel format on DC through the chosen back end and,
// when the granted format needs one, builds and selects a palette.
void SetupPixelFormat(TDeviceContext DC);
// Makes RenderContexts[Slot] current on DeviceContexts[Slot].
void ActivateRenderContext(int Slot);
// Swaps the front and back buffers of DeviceContexts[Slot].
void SwapRenderBuffers(int Slot);
// Makes no context current, deletes RenderContexts[Slot] and releases
// DeviceContexts[Slot] back to the window. The table entries keep their values.
void DestroyRenderContext(TWindowHandle Window, int Slot);

// For as long as it lives, no context of Slot is current on this thread, so
// that another context (a picture's, on another back end) can be made current
// here; the slot's context is made current again however the scope ends.
// With Live false (a slot whose window has gone) it does nothing.
class TSlotContextReleased {
public:
  TSlotContextReleased(int Slot, bool Live);
  ~TSlotContextReleased();
  TSlotContextReleased(const TSlotContextReleased&) = delete;
  TSlotContextReleased& operator=(const TSlotContextReleased&) = delete;

private:
  int FSlot;
  bool FLive;
};

// True when |A - B| < 0.000001, computed in extended precision.
bool FloatsEqual(float A, float B);

// The rotation angles, in degrees, of a column-major transform (e12..e14 the
// translation): Y = asin(-e2); at Y = +-90 degrees X = atan2(e4, e5) and
// Z = 0, otherwise X = atan2(e6, e10) and Z = atan2(e1, e0). Where cos Y is
// not 0 the rotation part equals Rz(Z) * Ry(Y) * Rx(X). An e2 outside -1..1
// raises EInvalidOp ("Invalid floating point operation").
void MatrixToAngles(const float Matrix[16], float& X, float& Y, float& Z);
