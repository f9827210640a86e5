// Writes the seed corpora into the folder given as the only argument.
#include <cstdio>
#include <exception>

#include "fuzz/FuzzSeeds.h"

int main(int ArgumentCount, char** Arguments) {
  if (ArgumentCount != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
    return 2;
  }
  try {
    WriteSeeds(Arguments[1]);
  } catch (const std::exception& E) {
    std::fprintf(stderr, "%s\n", E.what());
    return 1;
  }
  return 0;
}
