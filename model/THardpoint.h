#pragma once
// THardpoint: a named mount point of a model, a position with its own
// orientation as a 4x4 transform. The one record of a hardpoint: the loader
// reads it (TZorvObject), the writer writes it (ModelWriter), the document
// keeps it with an identity besides (TDocumentHardpoint), the history
// records it and the drawing shows it.
#include <array>
#include <concepts>
#include <cstddef>
#include <string>
#include <vector>

// Column-major, as glMultMatrixf takes it (element 4 * column + row):
// e0..e2, e4..e6, e8..e10 the local X, Y and Z axes, e12..e14 the position.
using THardpointMatrix = std::array<float, 16>;

struct THardpoint {
  std::string Name;  // 8-bit characters
  THardpointMatrix Matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  // Where the value at file position I (0..11) goes in Matrix: the file
  // holds twelve floats as three rows of four, a local axis and then one
  // coordinate of the position.
  static constexpr std::array<int, 12> FileToMatrix{0, 1, 2, 12, 4, 5, 6, 13, 8, 9, 10, 14};

  bool operator==(const THardpoint&) const = default;
};

// The hardpoints of a list, read-only and by index, whoever holds them: the
// loader's records or the document's, whose entries are records with an
// identity besides.
class THardpointsView {
public:
  THardpointsView() = default;
  template <std::derived_from<THardpoint> T>
  THardpointsView(const std::vector<T>& List)
      : FData(List.data()),
        FSize(List.size()),
        FAt([](const void* Data, size_t I) -> const THardpoint& { return static_cast<const T*>(Data)[I]; }) {}

  size_t size() const { return FSize; }
  bool empty() const { return FSize == 0; }
  const THardpoint& operator[](size_t I) const { return FAt(FData, I); }

private:
  const void* FData = nullptr;
  size_t FSize = 0;
  const THardpoint& (*FAt)(const void*, size_t) = nullptr;
};
