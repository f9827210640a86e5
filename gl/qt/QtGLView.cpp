#include "gl/qt/QtGLView.h"

#include <cmath>

#include <QOpenGLContext>

#include "gl/qt/QtContextBackend.h"

TQtGLView::TQtGLView(QWidget* Parent) : QOpenGLWidget(Parent) {
  // Qt's own default would clear the frame before every paint; the scene
  // clears it itself.
  setUpdateBehavior(QOpenGLWidget::PartialUpdate);
}

TQtGLView::~TQtGLView() { TQtContextBackend::Instance().ViewDestroyed(this); }

bool TQtGLView::EnsureContext() {
  if (context() == nullptr) {
    // Qt makes the context on first use of the widget's frame; grabbing one
    // frame is the public way to ask for it before the widget is shown. The
    // handlers do not see that frame.
    FForcing = true;
    grabFramebuffer();
    FForcing = false;
  }
  return context() != nullptr && context()->isValid();
}

int TQtGLView::DeviceWidth() const { return int(std::lround(width() * devicePixelRatioF())); }
int TQtGLView::DeviceHeight() const { return int(std::lround(height() * devicePixelRatioF())); }

void TQtGLView::initializeGL() {
  if (!FForcing && OnContextCreated) OnContextCreated();
}

void TQtGLView::resizeGL(int, int) {
  if (!FForcing && OnResize) OnResize(DeviceWidth(), DeviceHeight());
}

void TQtGLView::paintGL() {
  if (FForcing || !OnPaint) return;
  FPainting = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } Reset{FPainting};
  OnPaint();
}
