// What the window program makes of its command line: the file's name as
// the bytes given, "--" as the end of options.
#include "app/WindowArguments.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using TAction = TWindowArguments::TAction;

TEST(WindowArguments, TheFileIsTheBytesGivenAndDoubleDashEndsTheOptions) {
  struct TCase {
    std::vector<const char*> Argv;
    TAction Action;
    std::string File, Unknown;
  } Cases[] = {
      {{"quelbir"}, TAction::Open, "", ""},
      {{"quelbir", "caf\xe9.iff"}, TAction::Open, "caf\xe9.iff", ""},
      {{"quelbir", "--", "-x.iff"}, TAction::Open, "-x.iff", ""},
      {{"quelbir", "--", "--help"}, TAction::Open, "--help", ""},
      {{"quelbir", "--"}, TAction::Open, "", ""},
      {{"quelbir", "-"}, TAction::Open, "-", ""},
      {{"quelbir", "-x.iff"}, TAction::Usage, "", "-x.iff"},
      {{"quelbir", "--help", "m.iff"}, TAction::Help, "", ""},
      {{"quelbir", "-h"}, TAction::Help, "", ""},
      {{"quelbir", "--version"}, TAction::Version, "", ""},
      {{"quelbir", "m.iff", "--bogus"}, TAction::Open, "m.iff", ""},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Argv.size() > 1 ? Case.Argv[1] : "(none)");
    const TWindowArguments Read = ReadWindowArguments(int(Case.Argv.size()), Case.Argv.data());
    EXPECT_EQ(Read.Action, Case.Action);
    EXPECT_EQ(Read.File, Case.File);
    EXPECT_EQ(Read.Unknown, Case.Unknown);
  }
}

// Without any display named, the program says so before the toolkit would
// abort; a display, a chosen window system or "-platform" let it start.
TEST(WindowArguments, NoDisplayIsNamedOnlyWhenNothingNamesOne) {
  struct TCase {
    std::map<std::string, std::string> Environment;
    std::vector<const char*> Argv;
    bool NoDisplay;
  } Cases[] = {
      {{}, {"quelbir", "m.iff"}, true},
      {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, {"quelbir"}, true},
      {{{"DISPLAY", ":0"}}, {"quelbir"}, false},
      {{{"WAYLAND_DISPLAY", "wayland-0"}}, {"quelbir"}, false},
      {{{"QT_QPA_PLATFORM", "offscreen"}}, {"quelbir"}, false},
      {{}, {"quelbir", "-platform", "offscreen"}, false},
      {{}, {"quelbir", "--", "-platform"}, true},
  };
  for (const TCase& Case : Cases) {
    const auto Getenv = [&](const char* Name) -> const char* {
      const auto Found = Case.Environment.find(Name);
      return Found == Case.Environment.end() ? nullptr : Found->second.c_str();
    };
    EXPECT_EQ(NoDisplayNamed(int(Case.Argv.size()), Case.Argv.data(), Getenv), Case.NoDisplay)
        << Case.Argv.back() << " with " << Case.Environment.size() << " variables";
  }
}

}  // namespace
