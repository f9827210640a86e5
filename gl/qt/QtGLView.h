#pragma once
// The Qt side of the window's drawing: an OpenGL widget whose rendering
// context is the one the window's context slot stands for. Qt owns the
// context and the frame it draws into; the widget only forwards Qt's three
// moments (context made, resized, paint) to handlers the window attaches, and
// the window detaches them again when it closes, so that later paints draw
// nothing.
#include <functional>

#include <QOpenGLWidget>

class TQtGLView : public QOpenGLWidget {
public:
  explicit TQtGLView(QWidget* Parent = nullptr);
  ~TQtGLView() override;

  // Called with the context current: once Qt has made it (when the view is
  // first shown, or first grabbed; again should Qt ever make it anew, as
  // when the view moves to another top-level window), on every resize (size
  // in device pixels), and on every paint.
  std::function<void()> OnContextCreated;
  std::function<void(int DeviceWidth, int DeviceHeight)> OnResize;
  std::function<void()> OnPaint;

  // True while Qt is inside paintGL: the frame is presented when it returns.
  bool Painting() const { return FPainting; }
  // The drawing's size in device pixels (whatever the screen's scale factor).
  int DeviceWidth() const;
  int DeviceHeight() const;

protected:
  void initializeGL() override;
  void resizeGL(int Width, int Height) override;
  void paintGL() override;

private:
  bool FPainting = false;
};
