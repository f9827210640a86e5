// The program: the application, its one window, and the message loop until
// that window closes. Asked only for its help or version, it answers on
// standard output and ends before any window system is touched.
#include <cstring>
#include <iostream>

#include "app/QuelbirApplication.h"
#include "app/Unit1.h"
#include "app/WindowServices.h"

#ifndef QUELBIR_VERSION
#define QUELBIR_VERSION "0.0.0"
#endif

namespace {

const char* const HelpText =
    "Usage: quelbir [FILE]\n"
    "Opens the QUELBIR Editor window. When FILE names an existing model file\n"
    "(.iff), it is loaded at start; further arguments are ignored.\n"
    "\n"
    "Options:\n"
    "  -h,--help    Print this help message and exit\n"
    "  --version    Print the version and exit\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::cout << HelpText;
    return 0;
  }
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::cout << "quelbir " << QUELBIR_VERSION << '\n';
    return 0;
  }
  PrepareApplication();
  QApplication Application(argc, argv);
  TQtWindowServices Services;
  TForm1 Form1(Services);
  Form1.show();
  return Application.exec();
}
