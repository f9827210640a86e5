// The window's tests run inside one Qt application on the X display (Xvfb
// when there is no desktop).
#include <gtest/gtest.h>

#include <QApplication>

#include "app/QuelbirApplication.h"

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>

// The software renderer keeps a little memory of its own until the process
// ends, and the window system unloads the renderer before the leak check
// runs; its frames then name no module and no suppression can match them.
// Keeping it loaded lets the check see whose memory that is.
void KeepRendererLoaded() {
  for (const char* Driver : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "swrast_dri.so"})
    if (::dlopen(Driver, RTLD_NOW | RTLD_NODELETE)) return;
}
#else
void KeepRendererLoaded() {}
#endif

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  KeepRendererLoaded();
  PrepareApplication();
  QApplication Application(argc, argv);
  return RUN_ALL_TESTS();
}
