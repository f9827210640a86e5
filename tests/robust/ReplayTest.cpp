// Replays one fuzzing harness (linked in as LLVMFuzzerTestOneInput) over the
// seeds the fuzzer starts from and over every input it found a fault with.
// A harness stops the process on a broken check, so a regression shows as a
// crashed test; the sanitizer build also catches what the fuzzer's sanitizers
// caught.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/FuzzSeeds.h"
#include "tests/robust/FuzzRegressions.h"
#include "tests/support/TempDir.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size);

TEST(Replay, TheSeedCorpusRunsCleanly) {
  TempDir Dir;
  WriteSeeds(Dir.Path().string());
  int Replayed = 0;
  for (const auto& Entry : std::filesystem::directory_iterator(Dir.Path() / QUELBIR_HARNESS)) {
    const std::vector<uint8_t> Bytes = ReadFileBytes(Entry.path().string());
    SCOPED_TRACE(Entry.path().filename().string());
    EXPECT_EQ(LLVMFuzzerTestOneInput(Bytes.data(), Bytes.size()), 0);
    ++Replayed;
  }
  EXPECT_GT(Replayed, 0);
}

TEST(Replay, EveryInputAFaultWasFoundWithRunsCleanly) {
  for (const TFuzzRegression& Case : FuzzRegressions) {
    if (std::string(Case.Harness) != QUELBIR_HARNESS) continue;
    SCOPED_TRACE(Case.What);
    EXPECT_EQ(LLVMFuzzerTestOneInput(Case.Bytes.data(), Case.Bytes.size()), 0);
  }
}
