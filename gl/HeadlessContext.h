#pragma once
// The headless context back end: desktop OpenGL (a compatibility context, so
// OpenGL 1.1 immediate mode, feedback mode and GLU all work) on EGL with
// Mesa's surfaceless platform, drawing into an off-screen RGBA8 colour buffer
// with a depth buffer. It needs no display, and serves the tests and the
// command-line pictures.
//
// The drawing surface is a pbuffer; where the EGL implementation offers no
// pbuffer configuration, the context is made current without a surface and
// draws into a framebuffer object of the same size instead. Either way the
// picture stays readable after SwapRenderBuffers (an off-screen buffer is not
// presented anywhere, so a swap leaves its content in place).
#include <cstdint>
#include <string>
#include <vector>

#include "gl/gltools.h"
#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EHeadlessGL);  // "THeadlessGL: " + what could not be had

// What a "window" is to the headless back end: the size of the off-screen
// picture. Pass its address as the TWindowHandle.
struct THeadlessWindow {
  int Width = 0;
  int Height = 0;
};

// The back end itself. There is one per process (EGL displays are shared);
// its handles are pointers to its own records. Like every back end it reports
// no failure through the slot operations: what could not be had is a zero
// handle, and LastError() tells why.
class THeadlessBackend : public TContextBackend {
public:
  static THeadlessBackend& Instance();

  TDeviceContext GetDC(TWindowHandle Window) override;
  void ChooseAndSetPixelFormat(TDeviceContext DC, TPixelFormatDescriptor& Format) override;
  TRenderContext CreateContext(TDeviceContext DC) override;
  void MakeCurrent(TDeviceContext DC, TRenderContext RC) override;
  void SwapBuffers(TDeviceContext DC) override;
  void DeleteContext(TRenderContext RC) override;
  void ReleaseDC(TWindowHandle Window, TDeviceContext DC) override;

  // Why the last GetDC, CreateContext or MakeCurrent gave nothing; empty
  // after one that succeeded.
  const std::string& LastError() const { return FLastError; }

  // Whether device contexts got from now on draw into a pbuffer (the
  // default) or, as where no pbuffer is offered, into a framebuffer object
  // with no surface at all; lets both paths be exercised.
  void SetUsePbuffer(bool Use) { FUsePbuffer = Use; }
  bool UsePbuffer() const { return FUsePbuffer; }

private:
  THeadlessBackend() = default;
  std::string FLastError;
  bool FUsePbuffer = true;
};

// A headless context of Width x Height pixels on context slot Slot, made
// current, for as long as the object lives; destroying it destroys the slot
// (DestroyRenderContext). The chosen back end (SetContextBackend) is left as
// it was. Raises EHeadlessGL with a clear message when EGL, the surfaceless
// platform, a fitting configuration or a desktop OpenGL context cannot be
// had, the size is not positive, or the slot lies outside 0..7 or is in use
// (created and not yet destroyed); nothing is left bound then.
class THeadlessGL {
public:
  THeadlessGL(int Width, int Height, int Slot = 0);
  ~THeadlessGL();
  THeadlessGL(const THeadlessGL&) = delete;
  THeadlessGL& operator=(const THeadlessGL&) = delete;

  int Width() const { return FWindow.Width; }
  int Height() const { return FWindow.Height; }
  int Slot() const { return FSlot; }
  TWindowHandle Window() { return &FWindow; }

  void Activate() { ActivateRenderContext(FSlot); }
  void Swap() { SwapRenderBuffers(FSlot); }

  // The colour buffer as RGBA bytes, Width x Height, top row first (makes
  // the context current first).
  std::vector<uint8_t> ReadPixels();

private:
  THeadlessWindow FWindow;
  int FSlot;
};
