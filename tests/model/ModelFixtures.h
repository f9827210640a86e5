#pragma once
// Model files for the model tests, written in code with the project's own
// writer: meshes with corners stored exactly as given, files of either shape
// with any level tags, raw chunks of any length, and a log recorder.
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "iff/IffReader.h"
#include "iff/IffWriter.h"
#include "model/SampleModel.h"
#include "model/TZorvObject.h"
#include "tests/support/TempDir.h"

namespace ModelFixtures {

// A mesh whose faces keep their corners in the order given (no reversal),
// each face with its own normal and its own vertices.
struct TStoredMesh : TSampleMesh {
  TStoredMesh& Face(const std::vector<TVector>& Corners, TVector Normal = {0, 0, 1}, int32_t Texture = 10000000) {
    TFace F;
    F.Normal = int32_t(Normals.size());
    Normals.push_back(Normal);
    F.Texture = Texture;
    F.First = int32_t(FaceVertices.size());
    F.Count = int32_t(Corners.size());
    for (size_t I = 0; I < Corners.size(); ++I) {
      TFaceVertex V;
      V.Vertex = int32_t(Vertices.size());
      V.S = float(I);
      V.T = float(I) / 10;
      Vertices.push_back(Corners[I]);
      FaceVertices.push_back(V);
    }
    Faces.push_back(F);
    return *this;
  }
};

// A square of side 2 * Half in the plane Z = 0, stored counter-clockwise.
inline TStoredMesh Square(float Half) {
  TStoredMesh Mesh;
  Mesh.Face({{-Half, -Half, 0}, {Half, -Half, 0}, {Half, Half, 0}, {-Half, Half, 0}});
  return Mesh;
}

// A mesh of Count one-corner faces, so each level is told apart by its counts.
inline TStoredMesh MeshWithFaces(int Count) {
  TStoredMesh Mesh;
  for (int I = 0; I < Count; ++I) Mesh.Face({{float(I), 0, 0}});
  return Mesh;
}

using TBody = std::function<void(TIffWriter&)>;

// A file whose top form of type Top holds whatever Body writes.
inline void WriteFile(const std::string& FileName, const std::string& Top, const TBody& Body) {
  TIffWriter Writer(FileName, wmFile);
  Writer.OpenForm(TIffTag::FromBytes(Top.data()));
  Body(Writer);
  Writer.CloseForm();
  Writer.Destroy();
}

inline void Form(TIffWriter& Writer, const std::string& Tag, const TBody& Body) {
  Writer.OpenForm(TIffTag::FromBytes(Tag.data()));
  Body(Writer);
  Writer.CloseForm();
}

inline void RawChunk(TIffWriter& Writer, const std::string& Tag, const std::vector<uint8_t>& Data) {
  Writer.OpenChunk(TIffTag::FromBytes(Tag.data()));
  Writer.Write(Data.data(), int32_t(Data.size()));
  Writer.CloseChunk();
}

// One level of a level-of-detail file: FORM Tag { FORM "MESH" { FORM "0012"
// { chunks } } }.
inline void Level(TIffWriter& Writer, const std::string& Tag, const TSampleMesh& Mesh) {
  Form(Writer, Tag, [&](TIffWriter& W) {
    Form(W, "MESH", [&](TIffWriter& W2) { Form(W2, "0012", [&](TIffWriter& W3) { WriteMeshChunks(W3, Mesh); }); });
  });
}

// A level-of-detail file with the given levels named "0000", "0001", ...,
// then whatever After writes into the top form.
inline void WriteLevels(const std::string& FileName, const std::vector<TSampleMesh>& Levels,
                        const TBody& After = nullptr) {
  WriteFile(FileName, "DETA", [&](TIffWriter& W) {
    Form(W, "MESH", [&](TIffWriter& W2) {
      for (size_t I = 0; I < Levels.size(); ++I) {
        char Tag[8];
        std::snprintf(Tag, sizeof Tag, "%04u", unsigned(I));
        Level(W2, Tag, Levels[I]);
      }
    });
    if (After) After(W);
  });
}

// Little-endian bytes of floats, as a hardpoint chunk holds them.
inline std::vector<uint8_t> FloatBytes(const std::vector<float>& Values) {
  std::vector<uint8_t> Bytes(Values.size() * 4);
  std::memcpy(Bytes.data(), Values.data(), Bytes.size());
  return Bytes;
}

// The bytes of records, as a mesh chunk holds them.
template <class T>
std::vector<uint8_t> RecordBytes(const std::vector<T>& Records) {
  std::vector<uint8_t> Bytes(Records.size() * sizeof(T));
  if (!Bytes.empty()) std::memcpy(Bytes.data(), Records.data(), Bytes.size());
  return Bytes;
}

inline std::vector<uint8_t> operator+(std::vector<uint8_t> A, const std::vector<uint8_t>& B) {
  A.insert(A.end(), B.begin(), B.end());
  return A;
}

inline std::vector<uint8_t> NameBytes(const std::string& Name) {
  std::vector<uint8_t> Bytes(Name.begin(), Name.end());
  Bytes.push_back(0);
  return Bytes;
}

// The messages a model logs, in order.
struct TLogRecorder {
  std::vector<std::string> Messages;
  void Attach(T3DObject& Object) {
    Object.OnLog = [this](T3DObject&, const std::string& Msg) { Messages.push_back(Msg); };
  }
};

// The offset of the first chunk with Tag found by walking Path (form types
// from the top form down), for patching its size field.
inline int32_t ChunkOffset(const std::string& FileName, const std::vector<std::string>& Path, const std::string& Tag) {
  TIffReader Reader(FileName, true);
  for (const std::string& F : Path) Reader.OpenForm(TIffTag::FromBytes(F.data()));
  Reader.OpenChunk(TIffTag::FromBytes(Tag.data()));
  return Reader.OpenChunkItem()->Offset;
}

inline void PatchBigEndian(const std::string& FileName, int32_t Offset, uint32_t Value) {
  std::vector<uint8_t> Bytes = ReadFileBytes(FileName);
  Bytes[size_t(Offset)] = uint8_t(Value >> 24);
  Bytes[size_t(Offset) + 1] = uint8_t(Value >> 16);
  Bytes[size_t(Offset) + 2] = uint8_t(Value >> 8);
  Bytes[size_t(Offset) + 3] = uint8_t(Value);
  WriteFileBytes(FileName, Bytes);
}

// The sample craft written to Dir's "sample.iff"; the file's name.
inline std::string SampleFile(const TempDir& Dir) {
  const std::string File = Dir.File("sample.iff");
  WriteSampleModel(File);
  return File;
}

using TRawChunks = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

// A single-mesh file, FORM "MESH" { FORM Type { Chunks in the order given } }.
inline void WriteRawMesh(const std::string& FileName, const TRawChunks& Chunks, const std::string& Type = "0012") {
  WriteFile(FileName, "MESH", [&](TIffWriter& W) {
    Form(W, Type, [&](TIffWriter& M) {
      for (const auto& [Tag, Data] : Chunks) RawChunk(M, Tag, Data);
    });
  });
}

// The file without its last byte, as a writer that skipped the pad leaves it.
inline void DropLastByte(const std::string& FileName) {
  std::vector<uint8_t> Bytes = ReadFileBytes(FileName);
  Bytes.pop_back();
  WriteFileBytes(FileName, Bytes);
}

}  // namespace ModelFixtures
