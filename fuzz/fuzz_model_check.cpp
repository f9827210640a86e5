// Examines the input as quelbir-cli check does, at every level and at one
// chosen level, and checks what comes back: the check never raises for
// anything a file holds, every finding has a known code and a message, a
// record or level only where it belongs, an offset inside the 32-bit range,
// each finding's text on one line, and at most twenty findings of one code per place plus the count of the
// rest. It reaches the reader, the loader, the hardpoints and the sphere.
#include <cstdint>
#include <map>
#include <string>
#include <tuple>

#include "check/CheckReport.h"
#include "check/ModelCheck.h"
#include "fuzz/FuzzFile.h"
#include "runtime/Exception.h"

namespace {

void CheckFindings(const std::vector<TFinding>& Findings) {
  std::map<std::tuple<std::string, std::string, int64_t>, int> PerPlace;
  for (const TFinding& F : Findings) {
    FUZZ_CHECK(F.Code != nullptr);
    FUZZ_CHECK(&CheckCode(F.Code->Id) == F.Code);
    FUZZ_CHECK(!F.Message.empty());
    FUZZ_CHECK(FindingLine(F).find('\n') == std::string::npos);
    if (F.Record) FUZZ_CHECK(*F.Record >= 0);
    if (F.Offset) FUZZ_CHECK(*F.Offset >= 0 && *F.Offset <= INT32_MAX);
    if (F.Record) {
      const auto Place = std::make_tuple(std::string(F.Code->Code), F.Lod.value_or(""), F.Offset.value_or(-1));
      FUZZ_CHECK(++PerPlace[Place] <= 20);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static TFuzzFile File;
  const std::string& Name = File.Hold(Data, Size);
  try {
    CheckFindings(CheckModelFile(Name));
    TCheckOptions One;
    One.Lod = Size > 0 ? int32_t(Data[0] % 5) - 1 : 0;
    CheckFindings(CheckModelFile(Name, One));
  } catch (const Exception& E) {
    std::fprintf(stderr, "the check raised: %s\n", E.what());
    std::abort();
  }
  return 0;
}
