#pragma once
// The fuzzer's input as a file the system can open by name: an anonymous
// in-memory file reached through /proc/self/fd, rewritten for every input, so
// fuzzing never touches the disk and runs leave nothing behind.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

class TFuzzFile {
public:
  TFuzzFile() {
    FHandle = memfd_create("quelbir-fuzz", MFD_CLOEXEC);
    if (FHandle < 0) {
      std::perror("memfd_create");
      std::abort();
    }
    FName = "/proc/self/fd/" + std::to_string(FHandle);
  }
  ~TFuzzFile() { ::close(FHandle); }

  // Replaces the file's content with exactly these bytes.
  const std::string& Hold(const uint8_t* Data, size_t Size) {
    if (::ftruncate(FHandle, 0) != 0) std::abort();
    size_t Done = 0;
    while (Done < Size) {
      ssize_t Put = ::pwrite(FHandle, Data + Done, Size - Done, off_t(Done));
      if (Put <= 0) std::abort();
      Done += size_t(Put);
    }
    return FName;
  }

  const std::string& Name() const { return FName; }

private:
  int FHandle = -1;
  std::string FName;
};

// An invariant the code under test broke: stop the run so the fuzzer keeps
// the input.
#define FUZZ_CHECK(Condition)                                                            \
  do {                                                                                   \
    if (!(Condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #Condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)
