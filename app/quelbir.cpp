// The program: the application, its one window, and the message loop until
// that window closes. Asked only for its help or version, it answers on
// standard output and ends before any window system is touched.
#include <cstring>
#include <iostream>

#include "app/QuelbirApplication.h"
#include "app/Unit1.h"
#include "app/WindowServices.h"
#include "runtime/FileLayer.h"

#ifndef QUELBIR_VERSION
#define QUELBIR_VERSION "0.0.0"
#endif

namespace {

const char* const UsageLine = "Usage: quelbir [FILE]\n";
const char* const HelpText =
    "Usage: quelbir [FILE]\n"
    "Opens the QUELBIR Editor window. When FILE names an existing model file\n"
    "(.iff), it is loaded at start; any other name opens the empty window and is\n"
    "reported on standard error. Further arguments are ignored.\n"
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
  // Qt has taken its own options (-platform, -style...) out of the arguments;
  // any other option is a mistake, which the window would otherwise hide.
  const QStringList Arguments = QApplication::arguments();
  if (Arguments.size() > 1) {
    const std::string First = Arguments.at(1).toStdString();
    if (First.size() > 1 && First[0] == '-') {
      std::cerr << "quelbir: unknown option: " << First << "\n"
                << UsageLine << "Run with --help for more information.\n";
      return 2;
    }
    // A name that is there but no regular file reaches the load, which says so.
    if (!NameExists(First)) std::cerr << "quelbir: " << First << ": no such file; the window opens empty\n";
  }
  SetApplicationIcon();
  TQtWindowServices Services;
  TForm1 Form1(Services);
  Form1.show();
  return Application.exec();
}
