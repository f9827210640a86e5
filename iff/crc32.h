#pragma once
// The table-driven reflected CRC-32 (polynomial 0xEDB88320) with initial value
// 0 and no final inversion, as the string checksum uses it.
#include <cstddef>
#include <cstdint>
#include <string_view>

extern const uint32_t* const Crc32Table;  // 256 entries, built once at start-up
uint32_t StringCRC(std::string_view S);
