#pragma once
// Byte builders for IFF fixtures: headers, chunks and forms assembled by hand,
// independently of the writer, so that a file can hold exactly what a test
// (or a damaged or forged file) says.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

using TBytes = std::vector<uint8_t>;

inline TBytes Text(const std::string& S) { return TBytes(S.begin(), S.end()); }

inline TBytes BigEndian(uint32_t Value) {
  return {uint8_t(Value >> 24), uint8_t(Value >> 16), uint8_t(Value >> 8), uint8_t(Value)};
}

inline TBytes operator+(TBytes A, const TBytes& B) {
  A.insert(A.end(), B.begin(), B.end());
  return A;
}

// A chunk header with any size field, for malformed files.
inline TBytes Header(const std::string& Tag, uint32_t Size) { return Text(Tag) + BigEndian(Size); }

// A well-formed chunk: header, data and the pad byte an odd length needs.
inline TBytes Chunk(const std::string& Tag, const TBytes& Data) {
  TBytes Bytes = Header(Tag, uint32_t(Data.size())) + Data;
  if (Data.size() % 2) Bytes.push_back(0);
  return Bytes;
}

inline TBytes Chunk(const std::string& Tag, size_t DataSize, uint8_t Fill = 0xAB) {
  return Chunk(Tag, TBytes(DataSize, Fill));
}

// A well-formed FORM around already assembled children.
inline TBytes Form(const std::string& Type, const TBytes& Children = {}) {
  return Text("FORM") + BigEndian(uint32_t(4 + Children.size())) + Text(Type) + Children;
}

// A FORM header with any size field and no children.
inline TBytes FormHeader(const std::string& Type, uint32_t Size) { return Text("FORM") + BigEndian(Size) + Text(Type); }

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

// Offset of the first data byte of the first chunk tagged Tag (the tag must
// occur once in the file).
inline size_t DataOffset(const TBytes& File, const std::string& Tag) {
  for (size_t I = 0; I + 8 <= File.size(); ++I)
    if (std::memcmp(File.data() + I, Tag.data(), 4) == 0) return I + 8;
  return std::string::npos;
}

// File with the first FORM of Type (in file order, at any depth) taken out
// and the size fields of the forms around it zeroed: the bytes a writer that
// rewrites only that form must leave as they were. File unchanged when no
// such form is found.
inline TBytes WithoutForm(TBytes File, const std::string& Type) {
  auto Size = [&](size_t At) {
    return (size_t(File[At]) << 24) | (size_t(File[At + 1]) << 16) | (size_t(File[At + 2]) << 8) | File[At + 3];
  };
  auto Cut = [&](auto& Self, size_t Begin, size_t End) -> bool {
    for (size_t At = Begin; At + 8 <= End;) {
      const size_t Next = At + 8 + Size(At + 4) + (Size(At + 4) & 1);
      if (std::memcmp(File.data() + At, "FORM", 4) == 0 && At + 12 <= End) {
        if (std::memcmp(File.data() + At + 8, Type.data(), 4) == 0) {
          File.erase(File.begin() + long(At), File.begin() + long(std::min(Next, File.size())));
          return true;
        }
        if (Self(Self, At + 12, std::min(Next, End))) {
          std::fill_n(File.begin() + long(At + 4), 4, 0);
          return true;
        }
      }
      At = Next;
    }
    return false;
  };
  Cut(Cut, 0, File.size());
  return File;
}
