#include "iff/crc32.h"

#include <array>

namespace {

constexpr std::array<uint32_t, 256> BuildTable() {
  std::array<uint32_t, 256> Table{};
  for (uint32_t I = 0; I < 256; ++I) {
    uint32_t Value = I;
    for (int Round = 0; Round < 8; ++Round) Value = (Value & 1) ? (Value >> 1) ^ 0xEDB88320u : Value >> 1;
    Table[I] = Value;
  }
  return Table;
}

// Built by the compiler, so it is ready before any other start-up code runs.
constexpr std::array<uint32_t, 256> Table = BuildTable();

}  // namespace

const uint32_t* const Crc32Table = Table.data();

uint32_t StringCRC(std::string_view S) {
  uint32_t Value = 0;
  for (unsigned char B : S) Value = Table[(Value ^ B) & 0xFF] ^ (Value >> 8);
  return Value;
}
