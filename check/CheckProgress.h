#pragma once
// The progress bar on standard error while many files are examined: files
// done of the total and files per second, redrawn in place at most ten times
// a second and wiped when the run ends. Only for a terminal.
#include <chrono>
#include <cstddef>
#include <cstdio>

class TCheckProgress {
public:
  TCheckProgress(std::FILE* Out, size_t Total);
  ~TCheckProgress();  // wipes the bar
  TCheckProgress(const TCheckProgress&) = delete;
  TCheckProgress& operator=(const TCheckProgress&) = delete;

  void Update(size_t Done);
  // Wipes the bar until the next update, so text for the same terminal
  // starts on a clean line.
  void Clear();

  // True when Handle is a terminal.
  static bool IsTerminal(std::FILE* Handle);

private:
  std::FILE* FOut;
  size_t FTotal;
  std::chrono::steady_clock::time_point FStart, FLast;
  bool FShown = false;
};
