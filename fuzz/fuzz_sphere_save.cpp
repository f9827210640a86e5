// Saves a collision sphere into the input as "&Save" does, then checks that
// nothing but the sixteen sphere bytes changed: a save that fails leaves the
// file as it was, a save that succeeds changes at most sixteen consecutive
// bytes, keeps the file's length, and a fresh read gives back exactly the
// values written.
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "fuzz/FuzzFile.h"
#include "model/SphereFile.h"

namespace {

std::vector<uint8_t> Contents(const std::string& Name) {
  std::vector<uint8_t> Bytes;
  const int Handle = ::open(Name.c_str(), O_RDONLY | O_CLOEXEC);
  FUZZ_CHECK(Handle >= 0);
  uint8_t Buffer[4096];
  for (;;) {
    const ssize_t Got = ::read(Handle, Buffer, sizeof Buffer);
    FUZZ_CHECK(Got >= 0);
    if (Got == 0) break;
    Bytes.insert(Bytes.end(), Buffer, Buffer + Got);
  }
  ::close(Handle);
  return Bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static TFuzzFile File;
  const std::string& Name = File.Hold(Data, Size);
  const std::vector<uint8_t> Before(Data, Data + Size);
  // Bit patterns that differ from anything likely in the input: NaN, -0.
  const float Center[3] = {-0.0f, 1.5f, std::numeric_limits<float>::quiet_NaN()};
  const float Diameter = 1234.5f;
  bool Saved = false;
  try {
    WriteSphere(Name, Center, Diameter);
    Saved = true;
  } catch (const Exception&) {}
  const std::vector<uint8_t> After = Contents(Name);
  FUZZ_CHECK(After.size() == Before.size());
  if (!Saved) {
    FUZZ_CHECK(After == Before);
    return 0;
  }
  size_t First = 0;
  while (First < Size && After[First] == Before[First]) ++First;
  size_t Last = Size;
  while (Last > First && After[Last - 1] == Before[Last - 1]) --Last;
  FUZZ_CHECK(Last - First <= 16);

  float ReadCenter[3];
  float ReadDiameter;
  bool Tree;
  ReadSphere(Name, ReadCenter, ReadDiameter, Tree);
  FUZZ_CHECK(std::memcmp(ReadCenter, Center, 12) == 0 && std::memcmp(&ReadDiameter, &Diameter, 4) == 0);
  return 0;
}
