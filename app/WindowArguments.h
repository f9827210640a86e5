#pragma once
// What the window program is asked on its command line, read from the
// arguments as the system passed them: a file's name stays the bytes it was
// given, whatever the locale makes of them (a name that is not UTF-8 still
// opens). No toolkit here: the program reads its help and version requests
// before any window system is touched.
#include <functional>
#include <string>

struct TWindowArguments {
  enum class TAction {
    Open,     // the window, with File loaded when it names a file
    Help,     // -h, --help
    Version,  // --version
    Usage,    // Unknown is an option the program does not know
  };
  TAction Action = TAction::Open;
  std::string File;  // empty: none named
  std::string Unknown;
};

// The first argument decides; "--" ends the options, so the one after it is
// the file whatever it looks like ("quelbir -- -x.iff"). A lone "-" is a
// file's name. Further arguments are ignored.
TWindowArguments ReadWindowArguments(int argc, const char* const* argv);

// True when nothing names a display for the window, so that the toolkit
// would end the program with its own abort: neither DISPLAY nor
// WAYLAND_DISPLAY is set (an empty value counts as unset), and no window
// system is chosen by name (QT_QPA_PLATFORM, or a -platform argument before
// "--"). Getenv looks a variable up, nullptr when unset.
bool NoDisplayNamed(int argc, const char* const* argv, const std::function<const char*(const char*)>& Getenv);
