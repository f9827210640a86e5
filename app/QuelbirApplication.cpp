#include "app/QuelbirApplication.h"

#include <QIcon>
#include <QSurfaceFormat>
#include <cstdio>
#include <cstdlib>

namespace {

QtMessageHandler ToolkitMessages = nullptr;
const char* NoWindowSystemLine = nullptr;

void StartupMessage(QtMsgType Type, const QMessageLogContext& Context, const QString& Message) {
  // The one fatal message the toolkit gives while it starts is that no
  // platform plugin could be set up.
  if (Type == QtFatalMsg) {
    std::fputs(NoWindowSystemLine, stderr);
    std::fflush(stderr);
    std::_Exit(1);
  }
  ToolkitMessages(Type, Context, Message);
}

}  // namespace

void PrepareApplication() {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QCoreApplication::setApplicationName("quelbir");
  // Desktops (Wayland's app id, KDE) match the window to its menu entry,
  // quelbir.desktop, by this name.
  QGuiApplication::setDesktopFileName("quelbir");
  // The window draws OpenGL 1.1 immediate mode: a compatibility profile.
  QSurfaceFormat Format = QSurfaceFormat::defaultFormat();
  Format.setRenderableType(QSurfaceFormat::OpenGL);
  Format.setProfile(QSurfaceFormat::CompatibilityProfile);
  Format.setDepthBufferSize(24);
  QSurfaceFormat::setDefaultFormat(Format);
}

void SetApplicationIcon() {
  QIcon Icon;
  for (int Size : {16, 22, 24, 32, 48, 64, 128, 256})
    Icon.addFile(QString(":/icons/quelbir-%1.png").arg(Size), QSize(Size, Size));
  QApplication::setWindowIcon(Icon);
}

void ExitWithoutWindowSystem(const char* Line) {
  NoWindowSystemLine = Line;
  ToolkitMessages = qInstallMessageHandler(StartupMessage);
}

void WindowSystemReached() { qInstallMessageHandler(ToolkitMessages); }
