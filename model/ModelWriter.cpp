#include "model/ModelWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "iff/IffReader.h"
#include "iff/IffWriter.h"
#include "model/ModelLayout.h"
#include "model/THardpoint.h"
#include "runtime/FileLayer.h"
#include "runtime/OutputFiles.h"

namespace {

// The last offset an IFF file's 32-bit sizes can reach.
constexpr int64_t FileLimit = std::numeric_limits<int32_t>::max();

TVector Minus(const TVector& A, const TVector& B) { return {A.X - B.X, A.Y - B.Y, A.Z - B.Z}; }

TVector Cross(const TVector& A, const TVector& B) {
  return {A.Y * B.Z - A.Z * B.Y, A.Z * B.X - A.X * B.Z, A.X * B.Y - A.Y * B.X};
}

TVector Normalised(const TVector& V) {
  float Length = std::sqrt(V.X * V.X + V.Y * V.Y + V.Z * V.Z);
  if (Length == 0) return {0, 0, 1};
  return {V.X / Length, V.Y / Length, V.Z / Length};
}

int32_t FindOrAdd(std::vector<TVector>& List, const TVector& V) {
  for (size_t I = 0; I < List.size(); ++I)
    if (List[I].X == V.X && List[I].Y == V.Y && List[I].Z == V.Z) return int32_t(I);
  List.push_back(V);
  return int32_t(List.size() - 1);
}

template <class T>
void WriteRecords(TBasicWriter& Writer, const char (&Tag)[5], const std::vector<T>& Records) {
  Writer.OpenChunk(TIffTag(Tag));
  Writer.Write(Records.data(), int32_t(Records.size() * sizeof(T)));
  Writer.CloseChunk();
}

// The bytes a FORM "HARD" of these hardpoints takes, header and pads
// included, counted before any is written so that a form the format cannot
// size is refused rather than wrapped.
int64_t HardFormBytes(const std::vector<THardpoint>& Hardpoints) {
  int64_t Total = 12;
  for (const THardpoint& Hardpoint : Hardpoints) {
    const int64_t Data = 48 + int64_t(Hardpoint.Name.size()) + 1;
    Total += 8 + Data + (Data & 1);
    if (Total > FileLimit) break;
  }
  return Total;
}

void ComposeLodModel(TIffWriter& Writer, const std::vector<TModelMesh>& Levels,
                     const std::vector<THardpoint>& Hardpoints, const TModelSphere* Sphere) {
  Writer.OpenForm(TIffTag("DETA"));
  Writer.OpenForm(TIffTag("MESH"));
  for (size_t Level = 0; Level < Levels.size(); ++Level) {
    char Tag[16];
    std::snprintf(Tag, sizeof Tag, "%04u", unsigned(Level));
    Writer.OpenForm(TIffTag::FromBytes(Tag));
    Writer.OpenForm(TIffTag("MESH"));
    Writer.OpenForm(TIffTag("0012"));
    WriteMeshChunks(Writer, Levels[Level]);
    Writer.CloseForm();
    Writer.CloseForm();
    Writer.CloseForm();
  }
  Writer.CloseForm();
  if (!Hardpoints.empty()) WriteHardForm(Writer, Hardpoints);
  if (Sphere) WriteCollForm(Writer, *Sphere);
  Writer.CloseForm();
}

void ComposeSingleMeshModel(TIffWriter& Writer, const TModelMesh& Mesh, const std::vector<THardpoint>& Hardpoints,
                            const TModelSphere* Sphere) {
  Writer.OpenForm(TIffTag("MESH"));
  Writer.OpenForm(TIffTag("0012"));
  WriteMeshChunks(Writer, Mesh);
  Writer.CloseForm();
  if (!Hardpoints.empty()) WriteHardForm(Writer, Hardpoints);
  if (Sphere) WriteCollForm(Writer, *Sphere);
  Writer.CloseForm();
}

}  // namespace

std::vector<uint8_t> BytesOfIndexedFile(const TIffReader& Reader) {
  TFileStream Stream(Reader.FileName(), TFileMode::OpenRead);
  const TFileIdentity Indexed = Reader.Identity();
  auto Refuse = [&] {
    throw EModelWriter("TModelWriter: " + Reader.FileName() + " changed while it was read; nothing was written!");
  };
  if (Stream.Identity() != Indexed) Refuse();
  std::vector<uint8_t> Bytes(size_t(Indexed.Size));
  size_t Done = 0;
  while (Done < Bytes.size()) {
    const int32_t Got = Stream.Read(Bytes.data() + Done, int32_t(std::min<size_t>(Bytes.size() - Done, 1 << 24)));
    if (Got <= 0) Refuse();
    Done += size_t(Got);
  }
  if (Stream.Identity() != Indexed) Refuse();
  return Bytes;
}

namespace {

void PutBigEndian32(uint8_t* At, uint32_t Value) {
  for (int I = 0; I < 4; ++I) At[I] = uint8_t(Value >> (24 - 8 * I));
}

uint32_t BigEndian32(const uint8_t* At) {
  return uint32_t(At[0]) << 24 | uint32_t(At[1]) << 16 | uint32_t(At[2]) << 8 | uint32_t(At[3]);
}

}  // namespace

void TModelMesh::AddPolygon(const std::vector<TVector>& Corners, int32_t Texture) {
  TFace Face;
  Face.Texture = Texture;
  Face.Normal = FindOrAdd(Normals, Normalised(Cross(Minus(Corners[1], Corners[0]), Minus(Corners[2], Corners[0]))));
  Face.First = int32_t(FaceVertices.size());
  Face.Count = int32_t(Corners.size());
  // Stored clockwise as seen from outside: drawing sends the corners in
  // reverse, so OpenGL sees them counter-clockwise, as a front face.
  static const float S[4] = {0, 1, 1, 0}, T[4] = {0, 0, 1, 1};
  for (size_t I = Corners.size(); I-- > 0;) {
    TFaceVertex Corner;
    Corner.Vertex = FindOrAdd(Vertices, Corners[I]);
    Corner.S = S[I % 4];
    Corner.T = T[I % 4];
    FaceVertices.push_back(Corner);
  }
  Faces.push_back(Face);
}

void WriteMeshChunks(TBasicWriter& Writer, const TModelMesh& Mesh) {
  WriteRecords(Writer, "VERT", Mesh.Vertices);
  WriteRecords(Writer, "VTNM", Mesh.Normals);
  WriteRecords(Writer, "FVRT", Mesh.FaceVertices);
  WriteRecords(Writer, "FACE", Mesh.Faces);
}

void WriteHardForm(TBasicWriter& Writer, const std::vector<THardpoint>& Hardpoints) {
  for (size_t I = 0; I < Hardpoints.size(); ++I)
    if (Hardpoints[I].Name.find('\0') != std::string::npos)
      throw EModelWriter("TModelWriter: the name of hardpoint " + std::to_string(I + 1) +
                         " holds a zero byte, where the model file ends a name");
  if (HardFormBytes(Hardpoints) > FileLimit)
    throw EModelWriter("TModelWriter: the hardpoints take more than the 2 GiB a model file can hold");
  Writer.OpenForm(TIffTag("HARD"));
  for (const THardpoint& Hardpoint : Hardpoints) {
    Writer.OpenChunk(TIffTag("HARD"));
    // Copied as bytes, so every bit pattern (NaN payloads, -0) is kept.
    for (int Element : THardpoint::FileToMatrix) Writer.Write(&Hardpoint.Matrix[size_t(Element)], 4);
    Writer.WriteString(Hardpoint.Name);
    Writer.CloseChunk();
  }
  Writer.CloseForm();
}

void WriteCollForm(TBasicWriter& Writer, const TModelSphere& Sphere) {
  Writer.OpenForm(TIffTag("COLL"));
  Writer.OpenChunk(TIffTag("SPHR"));
  Writer.WriteSingle(Sphere.Center.X);
  Writer.WriteSingle(Sphere.Center.Y);
  Writer.WriteSingle(Sphere.Center.Z);
  Writer.WriteSingle(Sphere.Value);
  Writer.CloseChunk();
  if (Sphere.WithExtn) {
    Writer.OpenForm(TIffTag("EXTN"));
    Writer.CloseForm();
  }
  Writer.CloseForm();
}

std::vector<uint8_t> LodModelBytes(const std::vector<TModelMesh>& Levels, const std::vector<THardpoint>& Hardpoints,
                                   const TModelSphere* Sphere) {
  TIffWriter Writer("", wmMemory);
  ComposeLodModel(Writer, Levels, Hardpoints, Sphere);
  return Writer.MemoryBytes();
}

std::vector<uint8_t> SingleMeshModelBytes(const TModelMesh& Mesh, const std::vector<THardpoint>& Hardpoints,
                                          const TModelSphere* Sphere) {
  TIffWriter Writer("", wmMemory);
  ComposeSingleMeshModel(Writer, Mesh, Hardpoints, Sphere);
  return Writer.MemoryBytes();
}

void WriteLodModel(const std::string& FileName, const std::vector<TModelMesh>& Levels,
                   const std::vector<THardpoint>& Hardpoints, const TModelSphere* Sphere) {
  const std::vector<uint8_t> Bytes = LodModelBytes(Levels, Hardpoints, Sphere);
  WriteOutputFile(FileName, Bytes.data(), Bytes.size());
}

void WriteSingleMeshModel(const std::string& FileName, const TModelMesh& Mesh,
                          const std::vector<THardpoint>& Hardpoints, const TModelSphere* Sphere) {
  const std::vector<uint8_t> Bytes = SingleMeshModelBytes(Mesh, Hardpoints, Sphere);
  WriteOutputFile(FileName, Bytes.data(), Bytes.size());
}

std::vector<uint8_t> ModelFileWithHardpoints(const std::string& SourceFile, const std::vector<THardpoint>& Hardpoints,
                                             const TSphereValues* Sphere) {
  TIffReader Reader(SourceFile, /*ReadOnly=*/true);
  const auto Fail = [&](const std::string& Why) -> void {
    throw EModelWriter("TModelWriter: " + SourceFile + " " + Why + "; nothing was written!");
  };
  if (Reader.RootIsChunk()) Fail("holds no top form");

  // The sphere's place, found and checked as the sphere's reader does it
  // (its errors as they are).
  int64_t SphereAt = -1;
  if (Sphere) {
    Reader.OpenForm(TIffTag("COLL"));
    Reader.OpenChunk(TIffTag("SPHR"));
    uint8_t Old[16];
    if (Reader.Read(Old, 16) != 16) Fail("ends inside the SPHR chunk");
    SphereAt = int64_t(Reader.OpenChunkItem()->Offset) + 8;
    Reader.CloseChunk();
    Reader.CloseForm();
  }

  std::vector<uint8_t> Source = BytesOfIndexedFile(Reader);
  const int64_t FileSize = int64_t(Source.size());
  if (Sphere) std::memcpy(Source.data() + SphereAt, Sphere->data(), 16);

  // The span the new FORM "HARD" takes the place of: the one the loader
  // reads, or an empty span where the loader would look.
  const TForm& Top = *Reader.Root();
  int64_t Begin = 0, End = 0;
  const TIffTag Hard("HARD");
  if (const TForm* Form = HardpointForm(Top)) {
    Begin = Form->Offset;
    End = std::min(Begin + 8 + Form->Size, FileSize);
  } else if (Top.Forms.empty()) {
    Fail("has no sub-form for the hardpoints to follow");
  } else if (Top.Forms[0]->Tag == Hard) {
    // The loader reads the first FORM "HARD" once the second sub-form is
    // one: the new form goes first, where a single-mesh file keeps its mesh.
    if (Top.Tag == TIffTag("MESH")) Fail("has a mesh form of type HARD, which leaves no place for the hardpoints");
    Begin = End = Top.Forms[0]->Offset;
  } else {
    const TForm& First = *Top.Forms[0];
    Begin = End = std::min(int64_t(First.Offset) + 8 + First.Size, FileSize);
  }

  if (FileSize - (End - Begin) + HardFormBytes(Hardpoints) > FileLimit)
    Fail("would pass the 2 GiB a model file can hold with these hardpoints");
  TIffWriter Writer("", wmMemory);
  WriteHardForm(Writer, Hardpoints);
  const std::vector<uint8_t>& Form = Writer.MemoryBytes();

  std::vector<uint8_t> Result;
  Result.reserve(Source.size() - size_t(End - Begin) + Form.size());
  Result.insert(Result.end(), Source.begin(), Source.begin() + Begin);
  Result.insert(Result.end(), Form.begin(), Form.end());
  Result.insert(Result.end(), Source.begin() + End, Source.end());
  // The top form encloses the new form: its size grows or shrinks by the
  // difference, the only size that changes.
  const int64_t TopSize = int64_t(BigEndian32(Source.data() + 4)) + int64_t(Form.size()) - (End - Begin);
  if (TopSize < 4 || TopSize > FileLimit) Fail("has a top form whose size cannot take the hardpoints");
  PutBigEndian32(Result.data() + 4, uint32_t(TopSize));
  return Result;
}

void WriteModelFileWithHardpoints(const std::string& SourceFile, const std::string& Output,
                                  const std::vector<THardpoint>& Hardpoints, const TSphereValues* Sphere) {
  TOutputFiles Files({Output}, SourceFile);
  const std::vector<uint8_t> Bytes = ModelFileWithHardpoints(SourceFile, Hardpoints, Sphere);
  Files.Write(Output, Bytes.data(), Bytes.size());
  Files.Commit();
}
