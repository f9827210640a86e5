#include "app/QuelbirApplication.h"

#include <QSurfaceFormat>

void PrepareApplication() {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QCoreApplication::setApplicationName("quelbir");
  // The window draws OpenGL 1.1 immediate mode: a compatibility profile.
  QSurfaceFormat Format = QSurfaceFormat::defaultFormat();
  Format.setRenderableType(QSurfaceFormat::OpenGL);
  Format.setProfile(QSurfaceFormat::CompatibilityProfile);
  Format.setDepthBufferSize(24);
  QSurfaceFormat::setDefaultFormat(Format);
}
