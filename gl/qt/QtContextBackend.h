#pragma once
// The context-slot back end of the editor's Qt window. A "window" is a
// TQtGLView; its device context is the view itself, and so is its rendering
// context handle: it stands for the view's QOpenGLContext, which Qt creates
// when the view is first shown (so that it shares with the window's own
// composition), owns, makes anew when it must, and presents. Until then
// making it current has no effect, as with a zero handle.
// - the pixel format request becomes the view's QSurfaceFormat (RGBA, 8 bits
//   a channel, the requested depth bits, double-buffered, a compatibility
//   profile so that OpenGL 1.1 immediate mode and GLU work);
// - making current binds the view's present context and frame buffer;
// - a swap inside the view's paint is what Qt does when the paint returns; a
//   swap outside it asks Qt for a new frame;
// - deleting the context releases it from the thread; Qt frees it with the
//   view.
#include "gl/gltools.h"

class TQtGLView;

class TQtContextBackend : public TContextBackend {
public:
  static TQtContextBackend& Instance();

  TDeviceContext GetDC(TWindowHandle Window) override;
  void ChooseAndSetPixelFormat(TDeviceContext DC, TPixelFormatDescriptor& Format) override;
  TRenderContext CreateContext(TDeviceContext DC) override;
  void MakeCurrent(TDeviceContext DC, TRenderContext RC) override;
  void SwapBuffers(TDeviceContext DC) override;
  void DeleteContext(TRenderContext RC) override;
  void ReleaseDC(TWindowHandle Window, TDeviceContext DC) override;

  // The view whose context is current through this back end, or nullptr.
  TQtGLView* CurrentView() const { return FCurrent; }
  // Forgets a view that is going away.
  void ViewDestroyed(TQtGLView* View);

private:
  TQtContextBackend() = default;
  TQtGLView* FCurrent = nullptr;
};

// The window handle of a view, as the slot operations take it.
inline TWindowHandle WindowHandleOf(TQtGLView* View) { return View; }
