#pragma once
// Runs quelbir-cli as a user runs it, with no display to talk to, and keeps
// its exit code and what it printed on each stream.
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
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

// QUELBIR_CLI is the tool's path, defined by the test's build.
inline TRun Cli(const TempDir& Dir, const std::vector<std::string>& Args) {
  std::string Command = "env -u DISPLAY -u WAYLAND_DISPLAY " + Quoted(QUELBIR_CLI);
  for (const std::string& A : Args) Command += " " + Quoted(A);
  Command += " >" + Quoted(Dir.File("out.txt")) + " 2>" + Quoted(Dir.File("err.txt"));
  TRun Run;
  const int Status = std::system(Command.c_str());
  Run.Code = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
  auto Slurp = [](const std::string& F) {
    std::ifstream In(F, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
  };
  Run.Out = Slurp(Dir.File("out.txt"));
  Run.Err = Slurp(Dir.File("err.txt"));
  return Run;
}
