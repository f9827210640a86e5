#include "levels/LevelsFile.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "iff/IffReader.h"
#include "iff/IffWriter.h"
#include "model/TZorvObject.h"
#include "runtime/OutputFiles.h"

namespace {

// The last offset an IFF file's 32-bit sizes can reach.
constexpr int64_t FileLimit = std::numeric_limits<int32_t>::max();

bool IsLevelTag(const TIffTag& Tag) {
  return std::all_of(Tag.Bytes.begin(), Tag.Bytes.end(), [](uint8_t B) { return B >= '0' && B <= '9'; });
}

const TForm* FirstForm(const TForm& Parent, const TIffTag& Tag) {
  for (const auto& Form : Parent.Forms)
    if (Form->Tag == Tag) return Form.get();
  return nullptr;
}

uint32_t BigEndian32(const uint8_t* At) {
  return uint32_t(At[0]) << 24 | uint32_t(At[1]) << 16 | uint32_t(At[2]) << 8 | uint32_t(At[3]);
}
void PutBigEndian32(uint8_t* At, uint32_t Value) {
  for (int I = 0; I < 4; ++I) At[I] = uint8_t(Value >> (24 - 8 * I));
}

std::vector<uint8_t> LevelFormBytes(size_t Level, const TIffTag& MeshType, const TModelMesh& Mesh) {
  char Tag[16];
  std::snprintf(Tag, sizeof Tag, "%04u", unsigned(Level));
  TIffWriter Writer("", wmMemory);
  Writer.OpenForm(TIffTag::FromBytes(Tag));
  Writer.OpenForm(TIffTag("MESH"));
  Writer.OpenForm(MeshType);
  WriteMeshChunks(Writer, Mesh);
  Writer.CloseForm();
  Writer.CloseForm();
  Writer.CloseForm();
  return Writer.MemoryBytes();
}

}  // namespace

TModelMesh ReadFinestLevel(const std::string& ModelFile) {
  TZorvObject Model(TDisplayListPolicy::None);
  Model.OpenReadOnly = true;
  Model.SetKeepData(true);
  Model.SetLOD(0);
  Model.LoadFromFile(ModelFile);
  if (Model.Levels().Loaded.empty())
    throw ELevelsFile(ModelFile + " holds a single mesh and no levels of detail to add to");
  return PlainMesh(Model.Mesh());
}

TModelMesh PlainMesh(const TMeshData& Data) {
  TModelMesh Mesh;
  Mesh.Vertices.assign(Data.Vertices.Data(), Data.Vertices.Data() + Data.VertexCount);
  Mesh.Normals.assign(Data.Normals.Data(), Data.Normals.Data() + Data.NormalCount);
  Mesh.FaceVertices.assign(Data.FaceVertices.Data(), Data.FaceVertices.Data() + Data.FaceVertexCount);
  Mesh.Faces.assign(Data.Faces.Data(), Data.Faces.Data() + Data.FaceCount);
  return Mesh;
}

std::vector<uint8_t> ModelFileWithLevels(const std::string& SourceFile, const std::vector<TModelMesh>& Made) {
  TIffReader Reader(SourceFile, /*ReadOnly=*/true);
  const auto Fail = [&](const std::string& Why) -> void {
    throw ELevelsFile(SourceFile + " " + Why + "; nothing was written!");
  };
  if (Reader.RootIsChunk()) Fail("holds no top form");
  const TForm& Top = *Reader.Root();
  if (Top.Tag == TIffTag("MESH")) Fail("holds a single mesh, without a level container");
  const TForm* Container = FirstForm(Top, TIffTag("MESH"));
  if (!Container) Fail("has no level container (FORM MESH)");
  const TForm* Finest = FirstForm(*Container, TIffTag("0000"));
  if (!Finest) Fail("has no level 0000");
  TIffTag MeshType("0012");
  if (const TForm* Mesh = FirstForm(*Finest, TIffTag("MESH")); Mesh && !Mesh->Forms.empty())
    MeshType = Mesh->Forms[0]->Tag;

  std::vector<uint8_t> Source = BytesOfIndexedFile(Reader);
  const int64_t FileSize = int64_t(Source.size());
  const auto End = [](const TIffItem& Item) { return int64_t(Item.Offset) + 8 + Item.Size; };
  if (End(*Container) > FileSize || End(Top) > FileSize) Fail("ends inside its levels of detail");

  // The spans of the levels that go, in file order, and the made levels'
  // bytes, which go right after "0000".
  std::vector<std::pair<int64_t, int64_t>> Dropped;
  for (const auto& Form : Container->Forms)
    if (IsLevelTag(Form->Tag) && Form.get() != Finest) Dropped.emplace_back(Form->Offset, End(*Form));
  std::sort(Dropped.begin(), Dropped.end());
  std::vector<uint8_t> Inserted;
  for (size_t I = 0; I < Made.size(); ++I) {
    const std::vector<uint8_t> Form = LevelFormBytes(I + 1, MeshType, Made[I]);
    if (int64_t(Inserted.size()) + int64_t(Form.size()) > FileLimit)
      Fail("would pass the 2 GiB a model file can hold with these levels");
    Inserted.insert(Inserted.end(), Form.begin(), Form.end());
  }
  int64_t Delta = int64_t(Inserted.size());
  for (const auto& [Begin, Stop] : Dropped) Delta -= Stop - Begin;
  if (FileSize + Delta > FileLimit) Fail("would pass the 2 GiB a model file can hold with these levels");

  std::vector<uint8_t> Result;
  Result.reserve(size_t(FileSize + Delta));
  const int64_t InsertAt = End(*Finest);
  int64_t At = 0;
  const auto CopyTo = [&](int64_t Stop) {
    Result.insert(Result.end(), Source.begin() + At, Source.begin() + Stop);
    At = Stop;
  };
  bool InsertedYet = false;
  for (const auto& [Begin, Stop] : Dropped) {
    if (!InsertedYet && InsertAt <= Begin) {
      CopyTo(InsertAt);
      Result.insert(Result.end(), Inserted.begin(), Inserted.end());
      InsertedYet = true;
    }
    CopyTo(Begin);
    At = Stop;
  }
  if (!InsertedYet) {
    CopyTo(InsertAt);
    Result.insert(Result.end(), Inserted.begin(), Inserted.end());
  }
  CopyTo(FileSize);

  // The container and the top form enclose the change: their sizes, which
  // lie before it, are the only other bytes that change.
  for (const TIffItem* Form : {static_cast<const TIffItem*>(Container), static_cast<const TIffItem*>(&Top)}) {
    const int64_t Size = int64_t(BigEndian32(Source.data() + Form->Offset + 4)) + Delta;
    if (Size < 4 || Size > FileLimit) Fail("has a form whose size cannot take these levels");
    PutBigEndian32(Result.data() + Form->Offset + 4, uint32_t(Size));
  }
  return Result;
}

void WriteModelFileWithLevels(const std::string& SourceFile, const std::string& Output,
                              const std::vector<TModelMesh>& Made) {
  TOutputFiles Files({Output}, SourceFile);
  const std::vector<uint8_t> Bytes = ModelFileWithLevels(SourceFile, Made);
  Files.Write(Output, Bytes.data(), Bytes.size());
  Files.Commit();
}
