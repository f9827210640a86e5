#include "runtime/Latin1Text.h"

#include <cstdint>
#include <cstdio>

namespace {

// The length of the well-formed UTF-8 sequence at I, 0 when there is none.
size_t Utf8Length(const std::string& Text, size_t I, uint32_t* CodeOut) {
  const auto* Bytes = reinterpret_cast<const unsigned char*>(Text.data());
  const unsigned char C = Bytes[I];
  size_t Length = 0;
  uint32_t Code = 0;
  if (C < 0x80)
    Length = 1, Code = C;
  else if (C >= 0xC2 && C <= 0xDF)
    Length = 2, Code = C & 0x1F;
  else if (C >= 0xE0 && C <= 0xEF)
    Length = 3, Code = C & 0x0F;
  else if (C >= 0xF0 && C <= 0xF4)
    Length = 4, Code = C & 0x07;
  if (Length == 0 || I + Length > Text.size()) return 0;
  for (size_t K = 1; K < Length; ++K) {
    if ((Bytes[I + K] & 0xC0) != 0x80) return 0;
    Code = (Code << 6) | (Bytes[I + K] & 0x3F);
  }
  if ((Length == 3 && (Code < 0x800 || (Code >= 0xD800 && Code <= 0xDFFF))) ||
      (Length == 4 && (Code < 0x10000 || Code > 0x10FFFF)))
    return 0;
  if (CodeOut) *CodeOut = Code;
  return Length;
}

}  // namespace

std::string Latin1ToUtf8(const std::string& Text, bool* Changed) {
  std::string Out;
  if (Changed) *Changed = false;
  for (size_t I = 0; I < Text.size();) {
    const size_t Length = Utf8Length(Text, I, nullptr);
    if (Length > 0) {
      Out.append(Text, I, Length);
      I += Length;
    } else {
      const unsigned char C = static_cast<unsigned char>(Text[I++]);
      Out += char(0xC0 | (C >> 6));
      Out += char(0x80 | (C & 0x3F));
      if (Changed) *Changed = true;
    }
  }
  return Out;
}

bool Utf8ToLatin1(const std::string& Text, std::string& Result) {
  std::string Out;
  for (size_t I = 0; I < Text.size();) {
    uint32_t Code = 0;
    const size_t Length = Utf8Length(Text, I, &Code);
    if (Length == 0 || Code > 0xFF) {
      Result = Text;
      return false;
    }
    Out += char(Code);
    I += Length;
  }
  Result = Out;
  return true;
}

std::string EscapeControlBytes(const std::string& Text) {
  std::string Result;
  Result.reserve(Text.size());
  for (const char C : Text) {
    const auto Byte = static_cast<unsigned char>(C);
    if (Byte < 0x20 || Byte == 0x7F) {
      char Escape[8];
      std::snprintf(Escape, sizeof Escape, "\\x%02X", Byte);
      Result += Escape;
    } else {
      Result += C;
    }
  }
  return Result;
}
