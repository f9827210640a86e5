#pragma once
// Byte builders for hostile files: every header, size and record is placed
// by the test, so a file can say whatever a damaged or forged file says.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace hostile {

using TBytes = std::vector<uint8_t>;

inline TBytes Raw(const std::string& S) { return TBytes(S.begin(), S.end()); }

inline TBytes BigEndian(uint32_t V) { return {uint8_t(V >> 24), uint8_t(V >> 16), uint8_t(V >> 8), uint8_t(V)}; }

inline TBytes operator+(TBytes A, const TBytes& B) {
  A.insert(A.end(), B.begin(), B.end());
  return A;
}

// A header with any size field.
inline TBytes Header(const std::string& Tag, uint32_t Size) { return Raw(Tag) + BigEndian(Size); }

// A well-formed chunk with its pad byte.
inline TBytes Chunk(const std::string& Tag, const TBytes& Data) {
  TBytes Bytes = Header(Tag, uint32_t(Data.size())) + Data;
  if (Data.size() % 2) Bytes.push_back(0);
  return Bytes;
}

// A well-formed FORM around its children.
inline TBytes Form(const std::string& Type, const TBytes& Children = {}) {
  return Raw("FORM") + BigEndian(uint32_t(4 + Children.size())) + Raw(Type) + Children;
}

// A FORM header with any size field and no children.
inline TBytes FormHeader(const std::string& Type, uint32_t Size) { return Raw("FORM") + BigEndian(Size) + Raw(Type); }

// Little-endian values as the chunks hold them.
template <class T>
TBytes Le(const T& Value) {
  TBytes Bytes(sizeof(T));
  std::memcpy(Bytes.data(), &Value, sizeof(T));
  return Bytes;
}

inline TBytes Floats(std::initializer_list<float> Values) {
  TBytes Bytes;
  for (float V : Values) Bytes = Bytes + Le(V);
  return Bytes;
}

inline TBytes Ints(std::initializer_list<int32_t> Values) {
  TBytes Bytes;
  for (int32_t V : Values) Bytes = Bytes + Le(V);
  return Bytes;
}

}  // namespace hostile
