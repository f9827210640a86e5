#pragma once
// The application object: Qt's, set up the way the window needs it before
// anything else runs (one shared OpenGL context family, so the window's
// context can be made before the window is first shown).
#include <QApplication>

// Call before constructing QApplication.
void PrepareApplication();

// Around the construction of QApplication: should the toolkit reach no
// window system (a display named but not there), it would abort with its
// own message; the program ends instead with Line on standard error and
// exit status 1. The toolkit's warnings still show.
void ExitWithoutWindowSystem(const char* Line);
void WindowSystemReached();

// Call once QApplication exists: the icon that every window of the program
// shows in title bars and task lists (from the program's resources).
void SetApplicationIcon();
