// The number parser and formatter: any text is read as a float or refused
// with the conversion error (or the overflow error); every float's shortest
// text reads back to the same bits; the edit-box and angle formats of a
// finite float read back within half a unit of their last digit.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/FuzzFile.h"
#include "runtime/FloatErrors.h"
#include "runtime/NumberFormat.h"

namespace {

uint32_t Bits(float Value) {
  uint32_t B;
  std::memcpy(&B, &Value, 4);
  return B;
}

void CheckFormats(float Value) {
  if (!std::isfinite(Value)) return;
  const std::string Shortest = FloatToRoundTrip(Value);
  FUZZ_CHECK(Bits(StrToFloat(Shortest)) == Bits(Value));
  for (int Decimals : {0, 2, 3}) {
    const std::string Shown = FormatFloat(Value, Decimals);
    float Back = 0;
    try {
      Back = StrToFloat(Shown);
    } catch (const EOverflow&) {
      // Rounding the largest floats up may leave the float range.
      FUZZ_CHECK(std::fabs(Value) > 3.4e38f);
      continue;
    }
    const double Unit = std::pow(10.0, -Decimals);
    FUZZ_CHECK(std::fabs(double(Back) - double(Value)) <= Unit / 2 + std::fabs(double(Value)) * 1e-7);
    // A minus sign only in front of a value that is not zero once rounded.
    FUZZ_CHECK(Shown[0] != '-' || Shown.find_first_not_of("-0.") != std::string::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string Text(reinterpret_cast<const char*>(Data), Size);
  try {
    CheckFormats(StrToFloat(Text));
  } catch (const EConvertError& E) {
    FUZZ_CHECK(E.Message() == "'" + Text + "' is not a valid floating point value");
  } catch (const EOverflow&) {}
  int Whole = 0;
  if (TryStrToInt(Text, Whole)) FUZZ_CHECK(TryStrToInt(std::to_string(Whole), Whole));

  // Every bit pattern of the first four bytes as a float.
  if (Size >= 4) {
    float Value;
    std::memcpy(&Value, Data, 4);
    CheckFormats(Value);
    if (std::isnan(Value)) FUZZ_CHECK(FormatFloat(Value, 3) == "NAN");
  }
  return 0;
}
