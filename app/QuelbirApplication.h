#pragma once
// The application object: Qt's, set up the way the window needs it before
// anything else runs (one shared OpenGL context family, so the window's
// context can be made before the window is first shown).
#include <QApplication>

// Call before constructing QApplication.
void PrepareApplication();

// Call once QApplication exists: the icon that every window of the program
// shows in title bars and task lists (from the program's resources).
void SetApplicationIcon();
