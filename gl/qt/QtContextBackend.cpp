#include "gl/qt/QtContextBackend.h"

#include <QOpenGLContext>
#include <QSurfaceFormat>

#include "gl/qt/QtGLView.h"

TQtContextBackend& TQtContextBackend::Instance() {
  static TQtContextBackend Backend;
  return Backend;
}

TDeviceContext TQtContextBackend::GetDC(TWindowHandle Window) { return Window; }

void TQtContextBackend::ChooseAndSetPixelFormat(TDeviceContext DC, TPixelFormatDescriptor& Format) {
  auto* View = static_cast<TQtGLView*>(DC);
  if (View == nullptr) return;
  QSurfaceFormat Surface;
  Surface.setRenderableType(QSurfaceFormat::OpenGL);
  Surface.setProfile(QSurfaceFormat::CompatibilityProfile);
  Surface.setRedBufferSize(8);
  Surface.setGreenBufferSize(8);
  Surface.setBlueBufferSize(8);
  Surface.setAlphaBufferSize(0);
  // Desktop drivers offer 24 bits of depth where 32 are asked for; Qt
  // takes the nearest the driver has.
  Surface.setDepthBufferSize(Format.cDepthBits > 24 ? 24 : Format.cDepthBits);
  Surface.setStencilBufferSize(0);
  Surface.setSwapBehavior((Format.dwFlags & PFD_DOUBLEBUFFER) ? QSurfaceFormat::DoubleBuffer
                                                              : QSurfaceFormat::SingleBuffer);
  View->setFormat(Surface);

  // What was granted: an RGBA format never needs a palette.
  Format.dwFlags &= ~PFD_NEED_PALETTE;
  Format.cRedBits = Format.cGreenBits = Format.cBlueBits = 8;
  Format.cRedShift = 16;
  Format.cGreenShift = 8;
  Format.cBlueShift = 0;
  Format.cDepthBits = uint8_t(Surface.depthBufferSize());
}

TRenderContext TQtContextBackend::CreateContext(TDeviceContext DC) {
  // Qt makes the context itself as the view is first shown; the handle
  // stands for whatever context the view has.
  return DC;
}

void TQtContextBackend::MakeCurrent(TDeviceContext DC, TRenderContext RC) {
  auto* View = static_cast<TQtGLView*>(DC);
  if (View == nullptr || RC == nullptr) {
    if (FCurrent != nullptr) FCurrent->doneCurrent();
    FCurrent = nullptr;
    return;
  }
  // Not shown yet: no context to bind.
  if (View->context() == nullptr) return;
  View->makeCurrent();
  FCurrent = View;
}

void TQtContextBackend::SwapBuffers(TDeviceContext DC) {
  auto* View = static_cast<TQtGLView*>(DC);
  if (View == nullptr) return;
  // Inside the view's paint, Qt presents the frame as the paint returns.
  if (!View->Painting()) View->update();
}

void TQtContextBackend::DeleteContext(TRenderContext) {}

void TQtContextBackend::ReleaseDC(TWindowHandle, TDeviceContext) {}

void TQtContextBackend::ViewDestroyed(TQtGLView* View) {
  if (FCurrent == View) FCurrent = nullptr;
}
