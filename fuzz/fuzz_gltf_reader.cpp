// Reads the input as `quelbir-cli script --from-gltf` does, alone and
// matched against a model's hardpoints, and checks what comes back: only
// the reader's own errors, names that hold no zero byte or line break,
// finite numbers, and every model hardpoint in the matched list.
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/FuzzFile.h"
#include "interchange/GltfHardpoints.h"
#include "interchange/HardpointMatch.h"
#include "runtime/Exception.h"

namespace {

void CheckHardpoint(const THardpoint& H) {
  FUZZ_CHECK(H.Name.find_first_of(std::string("\0\r\n", 3)) == std::string::npos);
  for (float E : H.Matrix) FUZZ_CHECK(std::isfinite(E));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static TFuzzFile File;
  const std::string& Name = File.Hold(Data, Size);
  try {
    std::ostringstream Warnings;
    for (const THardpoint& H : ReadGltfHardpoints(Name, Warnings)) CheckHardpoint(H);
  } catch (const Exception&) {}
  try {
    const TGltfDocument Document = ReadGltfDocument(Name);
    const std::vector<TGltfHardpoint> Found =
        FindGltfHardpoints(Document, GltfHardpointRoot(Document, Name, "ship.iff"), Name);
    THardpoint Gun, Nose;
    Gun.Name = "gun";
    Gun.Matrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    Nose.Name = "nose";
    Nose.Matrix = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 1};
    std::ostringstream Changes;
    const std::vector<THardpoint> Matched = MatchGltfHardpoints({&Gun, &Nose}, Found, Name, Changes);
    FUZZ_CHECK(Matched.size() >= 2);
    for (const THardpoint& H : Matched) CheckHardpoint(H);
  } catch (const Exception&) {}
  return 0;
}
