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

int TQtGLView::DeviceWidth() const { return int(std::lround(width() * devicePixelRatioF())); }
int TQtGLView::DeviceHeight() const { return int(std::lround(height() * devicePixelRatioF())); }

void TQtGLView::initializeGL() {
  if (OnContextCreated) OnContextCreated();
}

void TQtGLView::resizeGL(int, int) {
  if (OnResize) OnResize(DeviceWidth(), DeviceHeight());
}

void TQtGLView::paintGL() {
  if (!OnPaint) return;
  FPainting = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } Reset{FPainting};
  OnPaint();
}
