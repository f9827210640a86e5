#pragma once
// The mesh records, laid out exactly as the records of the model file's mesh
// chunks ("VERT", "VTNM", "FVRT", "FACE"), so that each chunk is read into its
// array with one read and written back the same way. Everything inside the
// chunks is little-endian; the records are used in place, so the host must be
// little-endian too.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

#include "model/RecordMemory.h"

static_assert(std::endian::native == std::endian::little,
              "mesh records are used in place and are little-endian in the file");

// A position, a normal or an extent: three 32-bit floats.
struct TVector {
  float X = 0;
  float Y = 0;
  float Z = 0;
};

// One corner of a face. Reserved is kept as read and never interpreted.
struct TFaceVertex {
  int32_t Vertex = 0;  // index into Vertices
  int32_t Reserved = 0;
  float S = 0;  // texture coordinates
  float T = 0;
};

// One polygon: the run of Count face-vertices beginning at First, one flat
// normal, one material texture number. The reserved values are kept as read.
struct TFace {
  int32_t Normal = 0;  // index into Normals
  int32_t Reserved1 = 0;
  int32_t Texture = 0;  // material texture number (TZorvTextures)
  int32_t First = 0;    // index of the first face-vertex
  int32_t Count = 0;    // number of face-vertices
  int32_t Reserved2 = 0;
  int32_t Reserved3 = 0;
};

static_assert(sizeof(TVector) == 12 && alignof(TVector) == 4);
static_assert(sizeof(TFaceVertex) == 16 && alignof(TFaceVertex) == 4);
static_assert(sizeof(TFace) == 28 && alignof(TFace) == 4);
static_assert(offsetof(TFaceVertex, S) == 8 && offsetof(TFace, First) == 12 && offsetof(TFace, Count) == 16);

// The block one chunk is read into: exactly the chunk's bytes (a trailing
// partial record included), typed as records. The allocation is rounded up
// to whole records and the bytes past the chunk's are zeroed, so no record
// ever holds anything that did not come from the file or from zero.
template <class T>
class TRecordBlock {
public:
  static constexpr size_t RecordSize = sizeof(T);

  // Releases what was held and gives room for Bytes bytes, uninitialised
  // except for the tail of the last record. The caller fills the first
  // Bytes bytes (Data()). The records are plain data, so raw storage holds
  // them as it is: no constructor pass runs over a block about to be read.
  void* Allocate(size_t Bytes) {
    Release();
    const size_t Rounded = (Bytes + RecordSize - 1) / RecordSize * RecordSize;
    const size_t Held = Rounded == 0 ? RecordSize : Rounded;
    FData = std::unique_ptr<T, TFree>(static_cast<T*>(AllocateRecordMemory(Held)), TFree{Held});
    if (Rounded > Bytes) std::memset(reinterpret_cast<uint8_t*>(FData.get()) + Bytes, 0, Rounded - Bytes);
    FBytes = Bytes;
    return FData.get();
  }
  void Release() {
    FData.reset();
    FBytes = 0;
  }
  bool Allocated() const { return FData != nullptr; }
  size_t Bytes() const { return FBytes; }                      // bytes read from the chunk
  size_t WholeRecords() const { return FBytes / RecordSize; }  // records counted
  T* Data() { return FData.get(); }
  const T* Data() const { return FData.get(); }
  T& operator[](size_t I) { return FData.get()[I]; }
  const T& operator[](size_t I) const { return FData.get()[I]; }

private:
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
  struct TFree {
    size_t Held = 0;  // the bytes asked of AllocateRecordMemory
    void operator()(T* Data) const { ReleaseRecordMemory(Data, Held); }
  };
  std::unique_ptr<T, TFree> FData;
  size_t FBytes = 0;
};

// The mesh of one level of detail. Each count is the number of whole records
// in its array, and never more than the array holds (a count is set only
// once its array has been read, and every count returns to 0 with the
// arrays), so the counts are always safe loop bounds.
struct TMeshData {
  bool Loaded = false;                     // the arrays belong to the object's FileName
  TRecordBlock<TVector> Vertices;          // "VERT"
  TRecordBlock<TVector> Normals;           // "VTNM"
  TRecordBlock<TFaceVertex> FaceVertices;  // "FVRT"
  TRecordBlock<TFace> Faces;               // "FACE"
  int32_t VertexCount = 0;
  int32_t NormalCount = 0;
  int32_t FaceVertexCount = 0;
  int32_t FaceCount = 0;
};

// The file's indices are not checked when it is read; a face is drawn and
// measured only when everything it refers to lies inside the arrays: its
// normal, its run of face-vertices (First >= 0, Count >= 0, First + Count
// within FaceVertexCount, computed without overflow) and the vertex of each
// of its face-vertices. Every other face is skipped.
bool FaceIsUsable(const TMeshData& Mesh, const TFace& Face);

// The work of one walk over the faces' corners: the corners of every face
// whose normal and run lie inside their arrays (the faces a walk goes into
// past its first test), counted as often as faces name them.
int64_t CornerWork(const TMeshData& Mesh);
// The most corners a walk may visit: one per 16 bytes of the four mesh
// chunks. A file whose faces each have a run of their own names at most its
// face-vertices, which the "FVRT" chunk alone holds; only runs shared far
// beyond that (one run named by thousands of faces) can pass it, and they
// would make a small file cost any amount of drawing, measuring and export.
int64_t CornerRoom(const TMeshData& Mesh);

// The bounds over every face-vertex of every usable face, in order: Min
// starts at (10000, 10000, 10000) and Max at (0, 0, 0), each axis on its own.
// A mesh without faces keeps those starting values.
void MeasureMeshBounds(const TMeshData& Mesh, TVector& Min, TVector& Max);
