// The program: the application, its one window, and the message loop until
// that window closes.
#include "app/QuelbirApplication.h"
#include "app/Unit1.h"
#include "app/WindowServices.h"

int main(int argc, char** argv) {
  PrepareApplication();
  QApplication Application(argc, argv);
  TQtWindowServices Services;
  TForm1 Form1(Services);
  Form1.show();
  return Application.exec();
}
