#pragma once
// Inputs the fuzzers found faults with, kept as bytes so every test run
// replays them through the same harness. Each says what went wrong and
// where it was mended.
#include <cstdint>
#include <vector>

struct TFuzzRegression {
  const char* Harness;  // the harness's name after "fuzz_"
  const char* What;
  std::vector<uint8_t> Bytes;
};

inline const std::vector<TFuzzRegression> FuzzRegressions = {
    // Hand-made first entries: the shapes the harnesses must survive even
    // before the fuzzer finds anything.
    {"iff_reader",
     "a chunk claiming more bytes than the file holds",
     {'F', 'O', 'R', 'M', 0, 0, 0, 20, 'R', 'O', 'O', 'T', 'D', 'A', 'T', 'A', 0x10, 0, 0, 0, 1, 2, 3, 4}},
    {"model_load", "an empty file", {}},
    // Found by fuzz_model_check: the root's tag, shown in a finding, held a
    // line break (mended in the check's text line, which escapes it).
    {"model_check", "a root chunk whose tag holds a line break", {'F', 'M', 'R', '\n', 'S', 'P', 'H', 'R'}},
    // Found by fuzz_model_check: a level form's tag, shown as a finding's
    // level, held line breaks (mended: the level is escaped too).
    {"model_check",
     "a level form whose tag holds line breaks",
     {'F', 'O',  'R', 'M', 0,   0,   0,   0x1C, 'D', 'E', 'T', 'A', 'F', 'O', 'R', 'M',  0,    0,
      0,   0x10, 'M', 'E', 'S', 'H', 'F', 'O',  'R', 'M', 0,   0,   0,   4,   '0', '\n', '\n', '1'}},
    {"number_parser",
     "an exponent far beyond the float range",
     {'1', 'e', '9', '9', '9', '9', '9', '9', '9', '9', '9', '9'}},
};
