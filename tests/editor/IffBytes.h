#pragma once
// Byte builders for IFF fixtures whose exact layout matters (odd chunk
// lengths, chunks too short, cut-off files): every byte is placed by the
// test itself.
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace iffbytes {

using TBytes = std::vector<uint8_t>;

inline void PutBigEndian(TBytes& Out, uint32_t Value) {
  for (int Shift = 24; Shift >= 0; Shift -= 8) Out.push_back(uint8_t(Value >> Shift));
}

inline void PutTag(TBytes& Out, const char* Tag) { Out.insert(Out.end(), Tag, Tag + 4); }

// A chunk: tag, big-endian size, data, and a zero pad byte after odd data.
inline TBytes Chunk(const char* Tag, const TBytes& Data) {
  TBytes Out;
  PutTag(Out, Tag);
  PutBigEndian(Out, uint32_t(Data.size()));
  Out.insert(Out.end(), Data.begin(), Data.end());
  if (Data.size() % 2) Out.push_back(0);
  return Out;
}

// A FORM of the given type around its children.
inline TBytes Form(const char* Type, std::initializer_list<TBytes> Children) {
  TBytes Body;
  for (const TBytes& Child : Children) Body.insert(Body.end(), Child.begin(), Child.end());
  TBytes Out;
  PutTag(Out, "FORM");
  PutBigEndian(Out, uint32_t(Body.size() + 4));
  PutTag(Out, Type);
  Out.insert(Out.end(), Body.begin(), Body.end());
  return Out;
}

// Little-endian 32-bit floats, as chunks store them.
inline TBytes Floats(std::initializer_list<float> Values) {
  TBytes Out;
  for (float V : Values) {
    uint8_t B[4];
    std::memcpy(B, &V, 4);
    Out.insert(Out.end(), B, B + 4);
  }
  return Out;
}

inline TBytes Cat(std::initializer_list<TBytes> Parts) {
  TBytes Out;
  for (const TBytes& P : Parts) Out.insert(Out.end(), P.begin(), P.end());
  return Out;
}

// Offset of the first data byte of the first chunk tagged Tag (the tag must
// occur once in the file).
inline size_t DataOffset(const TBytes& File, const char* Tag) {
  for (size_t I = 0; I + 8 <= File.size(); ++I)
    if (std::memcmp(File.data() + I, Tag, 4) == 0) return I + 8;
  return std::string::npos;
}

}  // namespace iffbytes
