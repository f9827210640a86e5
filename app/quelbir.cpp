// The program: the application, its one window, and the message loop until
// that window closes. Asked only for its help or version, it answers on
// standard output and ends before any window system is touched.
#include <cstdlib>
#include <iostream>

#include "app/QuelbirApplication.h"
#include "app/Unit1.h"
#include "app/WindowArguments.h"
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
    "(.iff), it is loaded at start; an existing .glb, .gltf or .obj mesh opens as\n"
    "a new model, not saved yet; any other name opens the empty window and is\n"
    "reported on standard error. Further arguments are ignored.\n"
    "\n"
    "Options:\n"
    "  -h,--help    Print this help message and exit\n"
    "  --version    Print the version and exit\n"
    "  --           End of options: the FILE after it may begin with \"-\"\n";

}  // namespace

int main(int argc, char** argv) {
  // Help and version before any window system is touched; the rest once Qt
  // has taken its own options (-platform, -style...) out of argv.
  const TWindowArguments Early = ReadWindowArguments(argc, argv);
  if (Early.Action == TWindowArguments::TAction::Help) {
    std::cout << HelpText;
    return 0;
  }
  if (Early.Action == TWindowArguments::TAction::Version) {
    std::cout << "quelbir " << QUELBIR_VERSION << '\n';
    return 0;
  }
  // Without a display the toolkit would abort with a message of its own.
  if (NoDisplayNamed(argc, argv, std::getenv)) {
    std::cerr << "quelbir: no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open\n";
    return 1;
  }
  PrepareApplication();
  ExitWithoutWindowSystem("quelbir: no display: the window system cannot be reached, so the window cannot open\n");
  QApplication Application(argc, argv);
  WindowSystemReached();
  // argv itself, not Qt's list of decoded strings: a name that is not valid
  // UTF-8 reaches the load as the bytes that name the file.
  const TWindowArguments Arguments = ReadWindowArguments(argc, argv);
  if (Arguments.Action != TWindowArguments::TAction::Open) {
    // Any other option is a mistake, which the window would otherwise hide.
    std::cerr << "quelbir: unknown option: " << Arguments.Unknown << "\n"
              << UsageLine << "Run with --help for more information.\n";
    return 2;
  }
  // A name that is there but no regular file reaches the load, which says so.
  if (!Arguments.File.empty() && !NameExists(Arguments.File))
    std::cerr << "quelbir: " << Arguments.File << ": no such file; the window opens empty\n";
  SetApplicationIcon();
  TQtWindowServices Services(Arguments.File);
  TForm1 Form1(Services);
  Form1.show();
  return Application.exec();
}
