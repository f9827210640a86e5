#pragma once
// Runs a piece of work in a child process under a memory bound and reports
// how it ended: the message of the error it raised, or what it returned. A
// crash, an allocation beyond the bound or any other escape ends the child
// in a way the parent reports as a failure of its own kind, so one hostile
// input cannot take the whole test program down with it.
//
// The bound: without AddressSanitizer the child's address space is limited
// (RLIMIT_AS) to what it already uses plus the bound, so even an allocation
// that is never touched fails. Under AddressSanitizer, whose shadow memory
// rules out such a limit, the sanitizer's allocator hooks track the bytes
// in use and the child fails when their peak passes the bound.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <functional>
#include <new>
#include <string>

#include "runtime/Exception.h"
#include "tests/support/UnderSanitizer.h"

#ifdef QUELBIR_UNDER_ASAN
// The sanitizer runtime's allocator interface (declared here: not every
// compiler ships its header).
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*Malloc)(const volatile void*, size_t),
                                              void (*Free)(const volatile void*));
size_t __sanitizer_get_allocated_size(const volatile void* Pointer);
}
#endif

namespace bounded {

struct TOutcome {
  enum TKind { Finished, Raised, OutOfMemory, Crashed } Kind = Crashed;
  std::string Message;  // what the work returned, the error's message, or what went wrong
};

inline std::string Describe(const TOutcome& Outcome) {
  switch (Outcome.Kind) {
    case TOutcome::Finished: return Outcome.Message;
    case TOutcome::Raised: return "raised: " + Outcome.Message;
    case TOutcome::OutOfMemory: return "out of memory: " + Outcome.Message;
    case TOutcome::Crashed: return "crashed: " + Outcome.Message;
  }
  return "?";
}

#ifdef QUELBIR_UNDER_ASAN
inline std::atomic<int64_t> InUse{0};
inline std::atomic<int64_t> Peak{0};
inline void OnMalloc(const volatile void*, size_t Size) {
  const int64_t Now = InUse += int64_t(Size);
  int64_t Seen = Peak;
  while (Now > Seen && !Peak.compare_exchange_weak(Seen, Now)) {}
}
inline void OnFree(const volatile void* Pointer) { InUse -= int64_t(__sanitizer_get_allocated_size(Pointer)); }
#else
inline int64_t AddressSpaceInUse() {
  std::ifstream Status("/proc/self/status");
  std::string Line;
  while (std::getline(Status, Line))
    if (Line.rfind("VmSize:", 0) == 0) return std::stoll(Line.substr(7)) * 1024;
  return 0;
}
#endif

// Runs Work in a child limited to LimitBytes of memory beyond what it holds
// at the start.
inline TOutcome RunBounded(int64_t LimitBytes, const std::function<std::string()>& Work) {
  int Pipe[2];
  if (::pipe(Pipe) != 0) return {TOutcome::Crashed, "no pipe"};
  std::fflush(nullptr);
  const pid_t Child = ::fork();
  if (Child < 0) return {TOutcome::Crashed, "no fork"};
  if (Child == 0) {
    ::close(Pipe[0]);
    char Kind = 'C';
    std::string Message;
#ifdef QUELBIR_UNDER_ASAN
    __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
#else
    rlimit Limit{rlim_t(AddressSpaceInUse() + LimitBytes), rlim_t(AddressSpaceInUse() + LimitBytes)};
    ::setrlimit(RLIMIT_AS, &Limit);
#endif
    try {
      Message = Work();
      Kind = 'F';
    } catch (const Exception& E) {
      Kind = 'R';
      Message = E.Message();
    } catch (const std::bad_alloc&) {
      Kind = 'M';
      Message = "allocation refused";
    } catch (const std::exception& E) {
      Kind = 'C';
      Message = std::string("escaped: ") + E.what();
    }
#ifdef QUELBIR_UNDER_ASAN
    if (Peak > LimitBytes) {
      Kind = 'M';
      Message = "peak of " + std::to_string(Peak.load()) + " bytes in use";
    }
#endif
    const std::string Report = Kind + Message;
    size_t Done = 0;
    while (Done < Report.size()) {
      ssize_t Put = ::write(Pipe[1], Report.data() + Done, Report.size() - Done);
      if (Put <= 0) break;
      Done += size_t(Put);
    }
    ::_exit(0);
  }
  ::close(Pipe[1]);
  std::string Report;
  char Buffer[4096];
  for (;;) {
    ssize_t Got = ::read(Pipe[0], Buffer, sizeof Buffer);
    if (Got <= 0) break;
    Report.append(Buffer, size_t(Got));
  }
  ::close(Pipe[0]);
  int Status = 0;
  ::waitpid(Child, &Status, 0);
  if (Report.empty())
    return {TOutcome::Crashed, WIFSIGNALED(Status) ? "signal " + std::to_string(WTERMSIG(Status))
                                                   : "exit " + std::to_string(WEXITSTATUS(Status))};
  TOutcome Outcome;
  Outcome.Message = Report.substr(1);
  switch (Report[0]) {
    case 'F': Outcome.Kind = TOutcome::Finished; break;
    case 'R': Outcome.Kind = TOutcome::Raised; break;
    case 'M': Outcome.Kind = TOutcome::OutOfMemory; break;
    default: Outcome.Kind = TOutcome::Crashed; break;
  }
  return Outcome;
}

}  // namespace bounded
