#pragma once
// The four bytes of an IFF tag, in file order.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

struct TIffTag {
  std::array<uint8_t, 4> Bytes{};

  constexpr TIffTag() = default;
  // From a four-character literal: TIffTag("VERT"), TIffTag("PAL ").
  constexpr TIffTag(const char (&Text)[5])
      : Bytes{uint8_t(Text[0]), uint8_t(Text[1]), uint8_t(Text[2]), uint8_t(Text[3])} {}
  static TIffTag FromBytes(const void* Data) {
    TIffTag Tag;
    std::memcpy(Tag.Bytes.data(), Data, 4);
    return Tag;
  }
  // The tag as messages show it: its bytes up to the first zero byte.
  std::string ToText() const {
    std::string Text;
    for (uint8_t B : Bytes) {
      if (B == 0) break;
      Text.push_back(char(B));
    }
    return Text;
  }
  // All four bytes, as a string of length 4.
  std::string ToRaw() const { return std::string(reinterpret_cast<const char*>(Bytes.data()), 4); }

  friend constexpr bool operator==(const TIffTag&, const TIffTag&) = default;
};

inline constexpr TIffTag TagFORM("FORM");
