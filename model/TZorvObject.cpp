#include "model/TZorvObject.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <new>
#include <utility>

#include "iff/IffReader.h"
#include "iff/IffWriter.h"
#include "runtime/FileLayer.h"
#include "runtime/FloatErrors.h"
#include "runtime/OutputFiles.h"

namespace {

// The length of the file the reader has open, for checking chunk sizes
// against what the file really holds.
int64_t FileLength(const std::string& FileName) {
  std::error_code Error;
  auto Length = std::filesystem::file_size(FileName, Error);
  if (Error) throw EZorvObject("TZorvObject: Cannot measure " + FileName + "!");
  return int64_t(Length);
}

// True when the chunk whose header starts at HeaderOffset has an odd size
// field: its last counted byte is then the pad byte, not data.
bool HasPadByte(const std::string& FileName, int64_t HeaderOffset) {
  TFileStream Stream(FileName, TFileMode::OpenRead);
  Stream.Seek(HeaderOffset + 4);
  uint8_t Field[4] = {};
  return Stream.Read(Field, 4) == 4 && (Field[3] & 1) != 0;
}

// Reads the open chunk into Block as one block of CurrentSize bytes and
// returns its number of whole records. A chunk whose whole records are not
// all in the file is refused before anything is allocated; a missing pad
// byte or partial record at the very end of the file reads as zero and is
// never counted. The pad byte may be missing even where it completes the
// last whole record (an odd chunk of 35 bytes counted as three records of
// 12); a missing data byte never is.
template <class T>
int32_t ReadChunkBlock(TIffReader& Reader, int64_t FileSize, TRecordBlock<T>& Block, int32_t Count) {
  const std::string Tag = Reader.CurrentTag().ToText();
  const int32_t Size = Reader.CurrentSize();
  const int64_t DataStart = int64_t(Reader.OpenChunkItem()->Offset) + 8;
  const int64_t InFile = std::max<int64_t>(0, FileSize - DataStart);
  int64_t Wanted = int64_t(Count) * int64_t(sizeof(T));
  if (Size >= 0 && Wanted == Size && InFile == int64_t(Size) - 1 && HasPadByte(Reader.FileName(), DataStart - 8))
    Wanted = InFile;
  if (Size < 0 || Wanted > InFile)
    throw EZorvObject("TZorvObject: Chunk (" + Tag + ") runs past the end of " + Reader.FileName() + " (" +
                      std::to_string(uint32_t(Size)) + " bytes, " + std::to_string(InFile) + " in the file)!");
  const int32_t ToRead = int32_t(std::min<int64_t>(Size, InFile));
  uint8_t* Bytes = nullptr;
  try {
    Bytes = static_cast<uint8_t*>(Block.Allocate(size_t(Size)));
  } catch (const std::bad_alloc&) {
    throw EZorvObject("TZorvObject: Not enough memory for chunk (" + Tag + ") of " + Reader.FileName() + " (" +
                      std::to_string(Size) + " bytes)!");
  }
  int32_t Got = Reader.Read(Bytes, ToRead);
  if (Got < 0 || int64_t(Got) < Wanted) {
    Block.Release();
    throw EZorvObject("TZorvObject: " + Reader.FileName() + " ended while chunk (" + Tag + ") was read!");
  }
  std::fill(Bytes + Got, Bytes + Size, uint8_t(0));
  return Count;
}

template <class T>
void ReadMeshChunk(TZorvObject& Object, TIffReader& Reader, int64_t FileSize, const TMeshChunkKind& Kind,
                   const char* Prefix, TRecordBlock<T>& Block, int32_t& Count) {
  Reader.OpenChunk(TIffTag::FromBytes(Kind.Tag));
  const int32_t Records = Reader.CurrentSize() / int32_t(sizeof(T));
  Object.Log(Prefix + std::to_string(Records));
  Count = ReadChunkBlock(Reader, FileSize, Block, std::max(Records, 0));
  Reader.CloseChunk();
}

}  // namespace

namespace {

// ReadHardpoint from Source: the reader with the chunk open, or the chunk's
// bytes read with its form (THeldChunk), which reads them alike. Left: the
// chunk's bytes not yet read.
template <class TSource>
THardpoint ReadHardpointFrom(TSource& Source, int64_t Left, const std::string& FileName) {
  auto EndsInside = [&FileName] {
    return EHardpoint("THardpoint: " + FileName + " ends inside the matrix of a hardpoint!");
  };
  float Values[12] = {};
  if (Left >= int64_t(sizeof Values)) {
    // The whole matrix lies in the chunk: one read, which only the file's
    // end can cut short.
    if (Source.Read(Values, sizeof Values) != int32_t(sizeof Values)) throw EndsInside();
  } else {
    // Number by number, so the chunk's end is met where it lies.
    for (float& Value : Values)
      if (Source.Read(&Value, 4) != 4) throw EndsInside();
  }
  THardpoint Hardpoint;
  for (int I = 0; I < 12; ++I) Hardpoint.Matrix[size_t(THardpoint::FileToMatrix[size_t(I)])] = Values[I];
  Hardpoint.Matrix[3] = 0;
  Hardpoint.Matrix[7] = 0;
  Hardpoint.Matrix[11] = 0;
  Hardpoint.Matrix[15] = 1;
  Source.ReadString(Hardpoint.Name);
  return Hardpoint;
}

}  // namespace

THardpoint ReadHardpoint(TIffReader& Reader) {
  return ReadHardpointFrom(Reader, Reader.CurrentSize() - Reader.Position() + 8, Reader.FileName());
}

TZorvObject::TZorvObject(TDisplayListPolicy Policy) : T3DObject(Policy) { FLOD = 0; }

TZorvObject::~TZorvObject() { ClearHardpoints(); }

void TZorvObject::ClearHardpoints() {
  FHardpoints.clear();
  FHardpointCount = 0;
}

std::vector<THardpoint> TZorvObject::TakeHardpoints() {
  std::vector<THardpoint> Taken = std::move(FHardpoints);
  ClearHardpoints();
  return Taken;
}

void TZorvObject::LoadFromFile(const std::string& FileName) {
  T3DObject::LoadFromFile(FileName);
  // The hardpoints of an earlier load never outlive a load that fails before
  // reaching its own.
  ClearHardpoints();
  FLevels = TModelLevels();
  Log("");
  TIffReader Reader(FileName, OpenReadOnly);
  ReadLevel(Reader, /*NameLevels=*/true);
  ReadHardpoints(Reader);
}

void TZorvObject::LoadLevel(TIffReader& Reader) {
  T3DObject::LoadFromFile(Reader.FileName());
  ClearHardpoints();
  FLevels = TModelLevels();
  Log("");
  // Back at the top form however the load ends, for the next level.
  struct TBackToTop {
    TIffReader& Reader;
    ~TBackToTop() {
      if (Reader.OpenChunkItem()) Reader.CloseChunk();
      while (Reader.CurrentForm() != Reader.Root()) Reader.CloseForm();
    }
  } BackToTop{Reader};
  ReadLevel(Reader, /*NameLevels=*/false);
}

void TZorvObject::ReadLevel(TIffReader& Reader, bool NameLevels) {
  const int64_t FileSize = FileLength(Reader.FileName());
  if (Reader.CurrentTag() == TIffTag("MESH")) {
    Reader.OpenForm(Reader.GetForm(0)->Tag);
    ReadMeshChunks(Reader, FileSize);
    Reader.CloseForm();
  } else {
    Reader.OpenForm(TIffTag("MESH"));
    if (NameLevels)
      for (int32_t I = 0; I < Reader.FormCount(); ++I) {
        FLevels.Tags.push_back(Reader.GetForm(I)->Tag.ToText());
        Log("LOD: " + FLevels.Tags.back());
      }
    const std::string Level = ChooseLOD(Reader);
    Reader.OpenForm(TIffTag::FromBytes(Level.data()));
    Reader.OpenForm(TIffTag("MESH"));
    Reader.OpenForm(Reader.GetForm(0)->Tag);
    ReadMeshChunks(Reader, FileSize);
    for (int I = 0; I < 4; ++I) Reader.CloseForm();
  }
}

std::string TZorvObject::ChooseLOD(TIffReader& Reader) {
  FLevels.Loaded = LevelTag(FLOD, Reader.FormCount());
  Log("load LOD: " + FLevels.Loaded);
  return FLevels.Loaded;
}

void TZorvObject::ReadMeshChunks(TIffReader& Reader, int64_t FileSize) {
  const auto& Kinds = MeshChunkKinds();
  ReadMeshChunk(*this, Reader, FileSize, Kinds[0], "verts: ", FMesh.Vertices, FMesh.VertexCount);
  ReadMeshChunk(*this, Reader, FileSize, Kinds[1], "norms: ", FMesh.Normals, FMesh.NormalCount);
  ReadMeshChunk(*this, Reader, FileSize, Kinds[2], "fvrts: ", FMesh.FaceVertices, FMesh.FaceVertexCount);
  ReadMeshChunk(*this, Reader, FileSize, Kinds[3], "faces: ", FMesh.Faces, FMesh.FaceCount);
  // Every user of the mesh walks the faces' corners, so their number bounds
  // what the file costs; faces beyond the room their chunks hold are dropped
  // with the refusal, so not even a caller that goes on after it walks them.
  const int64_t Work = CornerWork(FMesh), Room = CornerRoom(FMesh);
  if (Work > Room) {
    FMesh.Faces.Release();
    FMesh.FaceCount = 0;
    throw EZorvObject("TZorvObject: The faces of " + Reader.FileName() + " share corners beyond what its mesh holds (" +
                      std::to_string(Work) + " corners, room for " + std::to_string(Room) + ")!");
  }
}

void TZorvObject::ReadHardpoints(TIffReader& Reader) {
  ClearHardpoints();
  const TForm* Form = HardpointForm(*Reader.CurrentForm());
  if (!Form) return;
  // Counted before any is read: a load that fails part-way leaves the
  // entries after the ones it read empty.
  const std::vector<TChunk>& Chunks = Form->Chunks;
  FHardpointCount = int32_t(Chunks.size());
  FHardpoints.reserve(Chunks.size());
  // Whole chunks, as many as the reader holds in memory at a time (a larger
  // one alone), with one read, each then read from memory as the reader
  // reads an open chunk, with its limits and messages: a hardpoint costs its
  // bytes, not a walk through the reader, and the memory read into stays
  // the same few pages however many hardpoints there are.
  for (size_t First = 0, Next = 0; First < Chunks.size(); First = Next) {
    const int64_t Start = int64_t(Chunks[First].Offset) + 8;
    int64_t End = Start + Chunks[First].Size;
    for (Next = First + 1; Next < Chunks.size(); ++Next) {
      const int64_t ChunkEnd = int64_t(Chunks[Next].Offset) + 8 + Chunks[Next].Size;
      if (ChunkEnd - Start > TIffReader::HeldChunkLimit) break;
      End = ChunkEnd;
    }
    const std::vector<uint8_t> Bytes = Reader.ReadBytes(Start, int32_t(End - Start));
    const int64_t InMemory = int64_t(Bytes.size());
    for (size_t I = First; I < Next; ++I) {
      const int64_t At = std::min(int64_t(Chunks[I].Offset) + 8 - Start, InMemory);
      const auto Held = int32_t(std::clamp<int64_t>(InMemory - At, 0, Chunks[I].Size));
      THeldChunk Data(Bytes.data() + At, Held, Chunks[I].Size, Reader.FileName());
      FHardpoints.push_back(ReadHardpointFrom(Data, Data.Left(), Reader.FileName()));
    }
  }
}

void TZorvObject::SaveToFile(const std::string& FileName) {
  EnsureLoaded();
  // Composed in memory and put in place whole by the one writing unit: a
  // failed save leaves no half file, and the model's own file is refused.
  TIffWriter Writer("", wmMemory);
  for (const char* Tag : {"DETA", "MESH", "0000", "MESH", "0012"}) Writer.OpenForm(TIffTag::FromBytes(Tag));
  auto WriteChunk = [&](const char(&Tag)[5], const void* Data, int64_t Bytes) {
    Writer.OpenChunk(TIffTag(Tag));
    if (Writer.Write(Data, int32_t(Bytes)) != Bytes)
      throw EZorvObject("TZorvObject: Cannot write " + FileName + " whole!");
    Writer.CloseChunk();
  };
  WriteChunk("VERT", FMesh.Vertices.Data(), int64_t(FMesh.VertexCount) * sizeof(TVector));
  WriteChunk("VTNM", FMesh.Normals.Data(), int64_t(FMesh.NormalCount) * sizeof(TVector));
  WriteChunk("FVRT", FMesh.FaceVertices.Data(), int64_t(FMesh.FaceVertexCount) * sizeof(TFaceVertex));
  WriteChunk("FACE", FMesh.Faces.Data(), int64_t(FMesh.FaceCount) * sizeof(TFace));
  for (int I = 0; I < 5; ++I) Writer.CloseForm();
  const std::vector<uint8_t>& Bytes = Writer.MemoryBytes();
  WriteOutputFile(FileName, Bytes.data(), Bytes.size(), FFileName);
  FreeDataUnlessKept();
}

void TZorvObject::SetLOD(int32_t Value) {
  if (Value == FLOD) return;
  FLOD = Value;
  if (!FFileName.empty()) LoadFromFile(FFileName);
}

void TZorvObject::GetBounds(TVector& Min, TVector& Max) const { MeshBounds(Min, Max); }

void TZorvObject::GetSize(TVector& Size) const {
  TVector Min, Max;
  GetBounds(Min, Max);
  Size.X = ToSingle(double(Max.X) - double(Min.X));
  Size.Y = ToSingle(double(Max.Y) - double(Min.Y));
  Size.Z = ToSingle(double(Max.Z) - double(Min.Z));
}

void TZorvObject::GetMaxSize(float& Value) const {
  TVector Size;
  GetSize(Size);
  Value = Size.X;
  if (Size.Y > Value) Value = Size.Y;
  if (Size.Z > Value) Value = Size.Z;
}

const THardpoint* TZorvObject::GetHardpoint(int32_t Index) const {
  if (Index < 0 || size_t(Index) >= FHardpoints.size()) return nullptr;
  return &FHardpoints[size_t(Index)];
}

THardpoint* TZorvObject::GetHardpoint(int32_t Index) {
  return const_cast<THardpoint*>(std::as_const(*this).GetHardpoint(Index));
}

namespace {

void DrawHardpointAxis(const THardpoint& Hardpoint, float Red, float Green, float Length) {
  glPushMatrix();
  glMultMatrixf(Hardpoint.Matrix.data());
  glColor3f(Red, Green, 0);
  // The local Z axis: a thin line a tenth of the model long, and a thick
  // stub a hundredth as long at the hardpoint's origin.
  glLineWidth(1);
  glBegin(GL_LINES);
  glVertex3f(0, 0, 0);
  glVertex3f(0, 0, Length / 10);
  glEnd();
  glLineWidth(5);
  glBegin(GL_LINES);
  glVertex3f(0, 0, 0);
  glVertex3f(0, 0, Length / 100);
  glEnd();
  glPopMatrix();
}

}  // namespace

void DrawHardpointMarkers(THardpointsView Hardpoints, const std::vector<int32_t>& Selected, float Length) {
  for (size_t I = 0; I < Hardpoints.size(); ++I) DrawHardpointAxis(Hardpoints[I], 1, 0, Length);
  // The selected ones over the red, so that a red axis never hides a yellow one.
  for (size_t I = 0; I < Selected.size(); ++I)
    if (Selected[I] >= 0 && size_t(Selected[I]) < Hardpoints.size() && (I == 0 || Selected[I] != Selected[I - 1]))
      DrawHardpointAxis(Hardpoints[size_t(Selected[I])], 1, 1, Length);
  glLineWidth(1);
}

void TZorvObject::DrawBoundingBox() {
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  EnsureLoaded();
  if (FFitSize != 0) FitScale(FFitSize);
  TVector Size;
  GetSize(Size);
  const float X = Size.X / 2, Y = Size.Y / 2, Z = Size.Z / 2;
  // Signs of the 24 corners, four per side: Z-, Z+, X+, X-, Y+, Y-.
  static const signed char Corners[24][3] = {
      {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1},   {1, -1, -1},  //
      {-1, -1, 1},  {-1, 1, 1},  {1, 1, 1},    {1, -1, 1},   //
      {1, 1, 1},    {1, 1, -1},  {1, -1, -1},  {1, -1, 1},   //
      {-1, 1, 1},   {-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1},  //
      {1, 1, 1},    {1, 1, -1},  {-1, 1, -1},  {-1, 1, 1},   //
      {1, -1, 1},   {1, -1, -1}, {-1, -1, -1}, {-1, -1, 1},
  };
  glBegin(GL_QUADS);
  for (const auto& C : Corners) glVertex3f(C[0] * X, C[1] * Y, C[2] * Z);
  glEnd();
}
