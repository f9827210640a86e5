#include "app/WindowArguments.h"

TWindowArguments ReadWindowArguments(int argc, const char* const* argv) {
  TWindowArguments Arguments;
  if (argc < 2) return Arguments;
  const std::string First = argv[1];
  using TAction = TWindowArguments::TAction;
  if (First == "--help" || First == "-h") {
    Arguments.Action = TAction::Help;
  } else if (First == "--version") {
    Arguments.Action = TAction::Version;
  } else if (First == "--") {
    if (argc > 2) Arguments.File = argv[2];
  } else if (First.size() > 1 && First[0] == '-') {
    Arguments.Action = TAction::Usage;
    Arguments.Unknown = First;
  } else {
    Arguments.File = First;
  }
  return Arguments;
}

bool NoDisplayNamed(int argc, const char* const* argv, const std::function<const char*(const char*)>& Getenv) {
  for (const char* Name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    if (const char* Value = Getenv(Name); Value != nullptr && *Value != 0) return false;
  for (int I = 1; I < argc; ++I) {
    const std::string Argument = argv[I];
    if (Argument == "--") break;
    if (Argument == "-platform" || Argument == "--platform") return false;
  }
  return true;
}
