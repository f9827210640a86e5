#include "check/CheckProgress.h"

#include <unistd.h>

#include <string>

TCheckProgress::TCheckProgress(std::FILE* Out, size_t Total)
    : FOut(Out), FTotal(Total), FStart(std::chrono::steady_clock::now()), FLast(FStart) {}

TCheckProgress::~TCheckProgress() { Clear(); }

void TCheckProgress::Clear() {
  if (!FShown) return;
  std::fputs("\r\033[K", FOut);
  std::fflush(FOut);
  FShown = false;
}

bool TCheckProgress::IsTerminal(std::FILE* Handle) { return ::isatty(::fileno(Handle)) == 1; }

void TCheckProgress::Update(size_t Done) {
  const auto Now = std::chrono::steady_clock::now();
  if (Done < FTotal && Now - FLast < std::chrono::milliseconds(100)) return;
  FLast = Now;
  const double Seconds = std::chrono::duration<double>(Now - FStart).count();
  constexpr size_t Width = 30;
  const size_t Filled = FTotal ? Done * Width / FTotal : Width;
  const std::string Bar = std::string(Filled, '#') + std::string(Width - Filled, '.');
  std::fprintf(FOut, "\r\033[K[%s] %zu/%zu files, %.0f files/s", Bar.c_str(), Done, FTotal,
               Seconds > 0 ? double(Done) / Seconds : 0.0);
  std::fflush(FOut);
  FShown = true;
}
