#include "check/MeshCheck.h"

#include <algorithm>
#include <cmath>

#include "iff/IffReader.h"
#include "model/ModelLayout.h"

namespace {

// Where the loader's path to one level's mesh ends, walked with the reader's
// own look-ups so that every missing piece is named as the loader names it.
struct TLevelWalk {
  std::string MissingForm;  // the reader's message; empty when the mesh form was reached
  int32_t MissingAt = 0;    // offset of the form the look-up failed in
  const TForm* MeshForm = nullptr;
  const TChunk* Chunks[4] = {nullptr, nullptr, nullptr, nullptr};
  std::string MissingChunk[4];
};

// Level: the level tag in a level-of-detail file, none in a single-mesh file.
TLevelWalk WalkToLevel(TIffReader& R, const std::optional<std::string>& Level) {
  TLevelWalk Walk;
  int Depth = 0;
  try {
    if (!Level) {
      R.OpenForm(R.GetForm(0)->Tag);
      ++Depth;
    } else {
      for (const std::string& Tag : {std::string("MESH"), *Level, std::string("MESH")}) {
        R.OpenForm(TIffTag::FromBytes(Tag.data()));
        ++Depth;
      }
      R.OpenForm(R.GetForm(0)->Tag);
      ++Depth;
    }
  } catch (const Exception& E) {
    Walk.MissingForm = E.Message();
    Walk.MissingAt = R.CurrentForm()->Offset;
  }
  if (Walk.MissingForm.empty()) {
    Walk.MeshForm = R.CurrentForm();
    for (int C = 0; C < 4; ++C) {
      try {
        R.OpenChunk(TIffTag::FromBytes(MeshChunkKinds()[size_t(C)].Tag));
        Walk.Chunks[C] = R.OpenChunkItem();
        R.CloseChunk();
      } catch (const Exception& E) {
        Walk.MissingChunk[C] = E.Message();
      }
    }
  }
  for (; Depth > 0; --Depth) R.CloseForm();
  return Walk;
}

// True when every whole record of every mesh chunk lies in the file, as
// the loader demands before it reads a chunk.
bool RecordsInFile(const TLevelWalk& Walk, int64_t FileSize, int& Failing) {
  for (int C = 0; C < 4; ++C) {
    const TChunk* Chunk = Walk.Chunks[C];
    const int32_t RecordSize = MeshChunkKinds()[size_t(C)].RecordSize;
    const int64_t InFile = std::max<int64_t>(0, FileSize - (int64_t(Chunk->Offset) + 8));
    if (int64_t(Chunk->Size / RecordSize) * RecordSize > InFile) {
      Failing = C;
      return false;
    }
  }
  return true;
}

void CheckRecords(const TMeshData& Mesh, const TLevelWalk& Walk, const std::optional<std::string>& Level,
                  TFindings& Findings) {
  const size_t Bytes[4] = {Mesh.Vertices.Bytes(), Mesh.Normals.Bytes(), Mesh.FaceVertices.Bytes(), Mesh.Faces.Bytes()};
  for (int C = 0; C < 4; ++C) {
    const auto& Kind = MeshChunkKinds()[size_t(C)];
    const size_t Size = size_t(Kind.RecordSize);
    const size_t Over = Bytes[C] % Size;
    if (Over)
      Findings.Add(TCheckCodeId::PartialRecord,
                   std::string("chunk \"") + Kind.Tag + "\" holds " + std::to_string(Bytes[C]) +
                       " bytes: " + std::to_string(Bytes[C] / Size) + " records of " + std::to_string(Size) + " and " +
                       std::to_string(Over) + " bytes that are not a whole record",
                   Level, int64_t(Bytes[C] / Size), Walk.Chunks[C]->Offset);
  }
  if (Mesh.FaceCount == 0)
    Findings.Add(TCheckCodeId::LodEmpty, "the level has no faces", Level, std::nullopt, Walk.Chunks[3]->Offset);
}

void CheckVectors(const TMeshData& Mesh, const TLevelWalk& Walk, const std::optional<std::string>& Level,
                  TFindings& Findings) {
  const int64_t VertOffset = Walk.Chunks[0]->Offset, NormOffset = Walk.Chunks[1]->Offset;
  {
    TCapped NonFinite(Findings, TCheckCodeId::NonfiniteValue, Level, VertOffset, "vertices that are not finite");
    for (int32_t I = 0; I < Mesh.VertexCount; ++I)
      if (!Finite(Mesh.Vertices[size_t(I)]))
        NonFinite.Add(I, [&] { return "vertex " + std::to_string(I) + " is " + VectorText(Mesh.Vertices[size_t(I)]); });
    NonFinite.Finish();
  }
  TCapped NonFinite(Findings, TCheckCodeId::NonfiniteValue, Level, NormOffset, "normals that are not finite");
  TCapped Unnormalised(Findings, TCheckCodeId::UnnormalisedNormal, Level, NormOffset, "normals whose length is not 1");
  for (int32_t I = 0; I < Mesh.NormalCount; ++I) {
    const TVector& N = Mesh.Normals[size_t(I)];
    if (!Finite(N)) {
      NonFinite.Add(I, [&] { return "normal " + std::to_string(I) + " is " + VectorText(N); });
      continue;
    }
    const double Length = std::sqrt(double(N.X) * N.X + double(N.Y) * N.Y + double(N.Z) * N.Z);
    if (std::fabs(Length - 1) > UnitTolerance)
      Unnormalised.Add(I, [&] { return "normal " + std::to_string(I) + " has length " + Number(Length); });
  }
  NonFinite.Finish();
  Unnormalised.Finish();
}

}  // namespace

std::optional<TMeshPlaces> CheckLevelMesh(TIffReader& Reader, int64_t FileSize, const TLoad& Loaded,
                                          TFindings& Findings) {
  const std::optional<std::string>& Level = Loaded.Level;
  const bool Failed = Loaded.Failed;
  const std::string& Failure = Loaded.Failure;
  const bool SingleMesh = Reader.CurrentTag() == TIffTag("MESH");
  const TLevelWalk Walk =
      WalkToLevel(Reader, SingleMesh ? std::nullopt : std::optional<std::string>(Level.value_or("0000")));
  if (!Walk.MissingForm.empty()) {
    Findings.Add(TCheckCodeId::MeshMissing, Failed ? Failure : Walk.MissingForm, Level, std::nullopt, Walk.MissingAt);
    return std::nullopt;
  }
  bool Missing = false;
  for (int C = 0; C < 4; ++C) {
    if (Walk.Chunks[C]) continue;
    // The first missing chunk is the one that ended the load.
    Findings.Add(TCheckCodeId::MeshChunkMissing, Failed && !Missing ? Failure : Walk.MissingChunk[C], Level,
                 std::nullopt, Walk.MeshForm->Offset);
    Missing = true;
  }
  if (Missing) return std::nullopt;
  const TMeshData& Mesh = Loaded.Model->Mesh();
  if (Failed) {
    int Failing = -1;
    const bool Whole = RecordsInFile(Walk, FileSize, Failing);
    // The loader drops the faces it refuses for sharing corners beyond
    // the room of the mesh: a whole "FACE" chunk left without a face.
    const TChunk* Faces = Walk.Chunks[3];
    if (Whole && Mesh.FaceCount == 0 && Faces->Size >= int32_t(sizeof(TFace))) Failing = 3;
    // A load that failed in the hardpoints, after the whole mesh was read:
    // that failure is already a finding of its own.
    if (!Whole || Failing == 3 || !Findings.Has(TCheckCodeId::HardpointUnreadable)) {
      Findings.Add(TCheckCodeId::MeshUnreadable, Failure, Level, std::nullopt,
                   Failing >= 0 ? Walk.Chunks[Failing]->Offset : Walk.MeshForm->Offset);
      return std::nullopt;
    }
  }
  CheckRecords(Mesh, Walk, Level, Findings);
  CheckVectors(Mesh, Walk, Level, Findings);
  return TMeshPlaces{Walk.Chunks[0]->Offset, Walk.Chunks[3]->Offset};
}
