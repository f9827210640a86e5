// The window's tests run inside one Qt application on the X display (Xvfb
// when there is no desktop).
#include <gtest/gtest.h>

#include <QApplication>

#include "app/QuelbirApplication.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  PrepareApplication();
  QApplication Application(argc, argv);
  return RUN_ALL_TESTS();
}
