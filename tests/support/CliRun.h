#pragma once
// The one runner of quelbir-cli for every test: runs the tool as a user runs
// it, with no display to talk to, and keeps its exit code and what it printed
// on each stream.
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

struct TRun {
  int Code = -1;
  std::string Out, Err;
};

inline std::string Quoted(const std::string& Text) {
  std::string Q = "'";
  for (char C : Text) Q += C == '\'' ? std::string("'\\''") : std::string(1, C);
  return Q + "'";
}

// QUELBIR_CLI is the tool's path, defined by the test's build; Program runs
// a copy instead. Prefix runs the tool under another command (a time bound,
// another user); Redirect is shell text appended last, so " >/dev/full" takes
// standard output's place.
inline TRun Cli(const TempDir& Dir, const std::vector<std::string>& Args, const std::string& Prefix = "",
                const std::string& Redirect = "", const std::string& Program = QUELBIR_CLI) {
  std::string Command = Prefix + "env -u DISPLAY -u WAYLAND_DISPLAY " + Quoted(Program);
  for (const std::string& A : Args) Command += " " + Quoted(A);
  Command += " >" + Quoted(Dir.File("out.txt")) + " 2>" + Quoted(Dir.File("err.txt")) + Redirect;
  TRun Run;
  const int Status = std::system(Command.c_str());
  Run.Code = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
  const std::vector<uint8_t> Out = ReadFileBytes(Dir.File("out.txt")), Err = ReadFileBytes(Dir.File("err.txt"));
  Run.Out.assign(Out.begin(), Out.end());
  Run.Err.assign(Err.begin(), Err.end());
  return Run;
}
