// What the window program makes of its command line: the file's name as
// the bytes given, "--" as the end of options.
#include "app/WindowArguments.h"

#include <gtest/gtest.h>

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

}  // namespace
