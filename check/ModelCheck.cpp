#include "check/ModelCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>

#include "editor/SphereFile.h"
#include "iff/IffReader.h"
#include "model/TZorvObject.h"
#include "runtime/NumberFormat.h"

namespace {

// At most this many findings of one code per chunk; the rest are counted.
constexpr int MaxPerChunk = 20;

constexpr double Tolerance = 1e-3;        // normals and hardpoint axes
constexpr double SphereTolerance = 1e-4;  // of the radius
constexpr double LineTolerance = 1e-6;    // sine of the angle off the line

const char* const MeshTags[4] = {"VERT", "VTNM", "FVRT", "FACE"};
const int32_t RecordSizes[4] = {12, 12, 16, 28};

std::string Number(double Value) {
  char Text[32];
  std::snprintf(Text, sizeof Text, "%.6g", Value);
  return Text;
}

std::string VectorText(const TVector& V) {
  return "(" + FloatToRoundTrip(V.X) + ", " + FloatToRoundTrip(V.Y) + ", " + FloatToRoundTrip(V.Z) + ")";
}

bool Finite(const TVector& V) { return std::isfinite(V.X) && std::isfinite(V.Y) && std::isfinite(V.Z); }

std::string Quoted(const TIffTag& Tag) { return "\"" + Tag.ToText() + "\""; }

// The level tag the loader builds for a level of detail (its ChooseLOD),
// for levels the loader did not get far enough to name.
std::string LevelTag(int32_t Lod, int32_t Levels) {
  int32_t Index = Lod;
  if (Lod > Levels - 1) Index = Levels - 1;
  if (Lod < 0) Index = 0;
  char Text[16];
  std::snprintf(Text, sizeof Text, Index < 0 ? "-%04d" : "%04d", Index < 0 ? -Index : Index);
  return std::string(Text, 4);
}

// Where the loader's path to one level's mesh ends, walked with the reader's
// own look-ups so that every missing piece is named as the loader names it.
struct TLevelWalk {
  std::string MissingForm;  // the reader's message; empty when the mesh form was reached
  int32_t MissingAt = 0;    // offset of the form the look-up failed in
  const TForm* MeshForm = nullptr;
  const TChunk* Chunks[4] = {nullptr, nullptr, nullptr, nullptr};
  std::string MissingChunk[4];
};

// A level to examine: the level of detail asked of the loader, and the
// level tag it names.
struct TPlannedLevel {
  int32_t Lod = 0;
  std::optional<std::string> Level;
};

// One run of the loader: the model as far as it was read, the level tag the
// loader named, and the loader's message when it failed.
struct TLoad {
  std::unique_ptr<TZorvObject> Model;
  std::optional<std::string> Level;
  bool Failed = false;
  std::string Failure;
};

class TFileCheck {
public:
  TFileCheck(const std::string& FileName, const TCheckOptions& Options) : FFileName(FileName), FOptions(Options) {}

  std::vector<TFinding> Run() {
    // The file layer refuses a pipe, a device or a folder before opening
    // it, and the reader a name that does not exist, each in its own words.
    std::unique_ptr<TIffReader> Reader;
    try {
      Reader = std::make_unique<TIffReader>(FFileName, /*ReadOnly=*/true);
    } catch (const Exception& E) {
      Add(TCheckCodeId::IffUnreadable, E.Message());
      return std::move(FFindings);
    }
    FReader = Reader.get();
    CheckExtent();
    CheckHardForms();
    CheckSphere();
    // The first level's load also reads the hardpoints, which the check
    // then takes from it rather than reading them again.
    const std::vector<TPlannedLevel> Plan = PlanLevels();
    TLoad First = Load(Plan[0], /*Whole=*/true);
    CheckHardpoints(First);
    for (size_t I = 0; I < Plan.size(); ++I) CheckLevel(I == 0 ? std::move(First) : Load(Plan[I], false));
    return std::move(FFindings);
  }

private:
  TFinding& Add(TCheckCodeId Id, std::string Message, std::optional<std::string> Lod = {},
                std::optional<int64_t> Record = {}, std::optional<int64_t> Offset = {}) {
    FFindings.push_back({&CheckCode(Id), std::move(Message), std::move(Lod), Record, Offset});
    return FFindings.back();
  }

  // Findings of one code in one chunk: the first MaxPerChunk in full, then
  // one that counts the rest.
  class TCapped {
  public:
    TCapped(TFileCheck& Check, TCheckCodeId Id, std::optional<std::string> Lod, int64_t Offset, std::string What)
        : FCheck(Check), FId(Id), FLod(std::move(Lod)), FOffset(Offset), FWhat(std::move(What)) {}
    // The count of the findings beyond the first MaxPerChunk.
    void Finish() {
      if (FCount > MaxPerChunk)
        FCheck.Add(FId, std::to_string(FCount - MaxPerChunk) + " more " + FWhat, FLod, std::nullopt, FOffset);
    }
    void Add(int64_t Record, const std::function<std::string()>& Message) {
      if (++FCount <= MaxPerChunk) FCheck.Add(FId, Message(), FLod, Record, FOffset);
    }

  private:
    TFileCheck& FCheck;
    TCheckCodeId FId;
    std::optional<std::string> FLod;
    int64_t FOffset;
    std::string FWhat;
    int64_t FCount = 0;
  };

  void CheckExtent() {
    std::error_code Error;
    const auto Length = std::filesystem::file_size(FFileName, Error);
    if (Error) return;  // no size to compare with; FFileSize stays unlimited
    FFileSize = int64_t(Length);
    const TForm* Root = FReader->Root();
    const int64_t End = int64_t(Root->Offset) + 8 + Root->Size;
    if (FFileSize > End)
      Add(TCheckCodeId::TrailingBytes,
          std::to_string(FFileSize - End) + " bytes after the top form, which ends at offset " + std::to_string(End) +
              "; the reader ignores them",
          std::nullopt, std::nullopt, End);
    else if (FFileSize < End)
      Add(TCheckCodeId::FileTruncated,
          "the top form " + Quoted(Root->Tag) + " declares " + std::to_string(End) + " bytes, the file holds " +
              std::to_string(FFileSize),
          std::nullopt, std::nullopt, 0);
  }

  // The FORM "HARD" the loader reads: the first one of the top form, when
  // the top form's second sub-form is one.
  const TForm* ReadHardForm() const {
    const TForm* Root = FReader->Root();
    if (FReader->RootIsChunk() || Root->Forms.size() < 2 || !(Root->Forms[1]->Tag == TIffTag("HARD"))) return nullptr;
    for (const auto& Form : Root->Forms)
      if (Form->Tag == TIffTag("HARD")) return Form.get();
    return nullptr;
  }

  void CheckHardForms() {
    const TForm* Read = ReadHardForm();
    // Every form below the top one, without recursion: files nest deeply.
    std::vector<const TForm*> Pending;
    for (auto It = FReader->Root()->Forms.rbegin(); It != FReader->Root()->Forms.rend(); ++It) Pending.push_back(It->get());
    while (!Pending.empty()) {
      const TForm* Form = Pending.back();
      Pending.pop_back();
      if (Form->Tag == TIffTag("HARD") && Form != Read)
        Add(TCheckCodeId::HardFormIgnored,
            Form->Parent == FReader->Root()
                ? "FORM \"HARD\" is not the top form's second sub-form; the loader ignores its hardpoints"
                : "FORM \"HARD\" inside FORM " + Quoted(Form->Parent->Tag) +
                      " is not the top form's second sub-form; the loader ignores its hardpoints",
            std::nullopt, std::nullopt, Form->Offset);
      for (auto It = Form->Forms.rbegin(); It != Form->Forms.rend(); ++It) Pending.push_back(It->get());
    }
  }

  void CheckSphere() {
    const TForm* Coll = nullptr;
    const TChunk* Sphr = nullptr;
    if (!FReader->RootIsChunk()) {
      for (const auto& Form : FReader->Root()->Forms)
        if (Form->Tag == TIffTag("COLL")) {
          Coll = Form.get();
          break;
        }
    }
    if (Coll)
      for (const TChunk& Chunk : Coll->Chunks)
        if (Chunk.Tag == TIffTag("SPHR")) {
          Sphr = &Chunk;
          break;
        }
    // Read as the editor's sphere panel reads it, for its exact messages.
    float Center[3] = {0, 0, 0};
    float Value = 0;
    bool Tree = false;
    try {
      ReadSphere(FFileName, Center, Value, Tree, /*ReadOnly=*/true);
    } catch (const Exception& E) {
      if (!Coll || !Sphr)
        Add(TCheckCodeId::SphereMissing, E.Message(), std::nullopt, std::nullopt,
            Coll ? std::optional<int64_t>(Coll->Offset) : std::nullopt);
      else
        Add(TCheckCodeId::SphereUnreadable, E.Message(), std::nullopt, std::nullopt, Sphr->Offset);
      return;
    }
    const float Values[4] = {Center[0], Center[1], Center[2], Value};
    if (!std::all_of(std::begin(Values), std::end(Values), [](float V) { return std::isfinite(V); })) {
      Add(TCheckCodeId::NonfiniteValue,
          "the collision sphere holds " + FloatToRoundTrip(Center[0]) + " " + FloatToRoundTrip(Center[1]) + " " +
              FloatToRoundTrip(Center[2]) + " " + FloatToRoundTrip(Value),
          std::nullopt, std::nullopt, Sphr ? std::optional<int64_t>(Sphr->Offset) : std::nullopt);
      return;
    }
    FSphere = true;
    FSphereCenter = {Center[0], Center[1], Center[2]};
    FSphereRadius = std::fabs(double(Value));  // the sphere drawn with a negative radius is the same sphere
  }

  void CheckHardpoints(const TLoad& First) {
    const TForm* Hard = ReadHardForm();
    if (!Hard) return;
    std::map<std::string, int32_t> Names;
    // A load that succeeded has read every hardpoint, one per chunk of the
    // same form; otherwise each chunk is read here to name every one that fails.
    if (!First.Failed && size_t(First.Model->HardpointCount()) == Hard->Chunks.size()) {
      for (int32_t I = 0; I < First.Model->HardpointCount(); ++I)
        if (const THardpoint* H = First.Model->GetHardpoint(I)) CheckHardpoint(*H, I, Hard->Chunks[size_t(I)].Offset, Names);
      return;
    }
    TIffReader& R = *FReader;
    R.OpenForm(TIffTag("HARD"));
    const int32_t Count = R.ChunkCount();
    for (int32_t I = 0; I < Count; ++I) {
      R.OpenChunkByIndex(I);
      const int32_t Offset = R.OpenChunkItem()->Offset;
      std::optional<THardpoint> Hardpoint;
      try {
        Hardpoint.emplace(R);
      } catch (const Exception& E) {
        Add(TCheckCodeId::HardpointUnreadable, E.Message(), std::nullopt, I, Offset);
      }
      R.CloseChunk();
      if (Hardpoint) CheckHardpoint(*Hardpoint, I, Offset, Names);
    }
    R.CloseForm();
  }

  void CheckHardpoint(const THardpoint& H, int32_t Index, int32_t Offset, std::map<std::string, int32_t>& Names) {
    const std::string Name = "hardpoint \"" + H.Name + "\"";
    auto [Earlier, Inserted] = Names.emplace(H.Name, Index);
    if (!Inserted)
      Add(TCheckCodeId::HardpointDuplicateName, Name + " has the name of hardpoint " + std::to_string(Earlier->second),
          std::nullopt, Index, Offset);
    if (!std::all_of(H.Matrix.begin(), H.Matrix.end(), [](float V) { return std::isfinite(V); })) {
      Add(TCheckCodeId::NonfiniteValue, Name + " has a matrix element that is not a finite number", std::nullopt, Index, Offset);
      return;
    }
    const char* AxisNames[3] = {"X", "Y", "Z"};
    double Axes[3][3];
    for (int A = 0; A < 3; ++A)
      for (int C = 0; C < 3; ++C) Axes[A][C] = H.Matrix[size_t(4 * A + C)];
    std::string Fault;
    for (int A = 0; A < 3 && Fault.empty(); ++A) {
      const double Length = std::sqrt(Axes[A][0] * Axes[A][0] + Axes[A][1] * Axes[A][1] + Axes[A][2] * Axes[A][2]);
      if (std::fabs(Length - 1) > Tolerance) Fault = std::string("its ") + AxisNames[A] + " axis has length " + Number(Length);
    }
    for (int A = 0; A < 3 && Fault.empty(); ++A) {
      const int B = (A + 1) % 3;
      const double Dot = Axes[A][0] * Axes[B][0] + Axes[A][1] * Axes[B][1] + Axes[A][2] * Axes[B][2];
      if (std::fabs(Dot) > Tolerance)
        Fault = std::string("its ") + AxisNames[std::min(A, B)] + " and " + AxisNames[std::max(A, B)] +
                " axes are not perpendicular (dot product " + Number(Dot) + ")";
    }
    if (!Fault.empty()) Add(TCheckCodeId::HardpointNotRigid, Name + " is not rigid: " + Fault, std::nullopt, Index, Offset);
  }

  // The levels to examine, each as the level of detail asked of the loader
  // and the level tag it will name (none in a single-mesh file, or where the
  // level container is missing); never empty. Names the unreachable levels.
  std::vector<TPlannedLevel> PlanLevels() {
    TIffReader& R = *FReader;
    if (R.CurrentTag() == TIffTag("MESH")) return {{0, std::nullopt}};
    const TForm* Container = nullptr;
    if (!R.RootIsChunk())
      for (const auto& Form : R.Root()->Forms)
        if (Form->Tag == TIffTag("MESH")) {
          Container = Form.get();
          break;
        }
    if (!Container) return {{FOptions.Lod.value_or(0), std::nullopt}};
    const int32_t Levels = int32_t(Container->Forms.size());
    // Levels are found by name: "0000" up to the count less one, each the
    // first form of its name.
    std::vector<bool> Named(size_t(Levels), false);
    for (const auto& Form : Container->Forms) {
      const std::string Tag = Form->Tag.ToRaw();
      int32_t Index = -1;
      if (std::all_of(Tag.begin(), Tag.end(), [](char C) { return C >= '0' && C <= '9'; })) Index = std::stoi(Tag);
      if (Index >= 0 && Index < Levels && !Named[size_t(Index)]) {
        Named[size_t(Index)] = true;
        continue;
      }
      Add(TCheckCodeId::LodUnreachable,
          "level form " + Quoted(Form->Tag) + " is never loaded: the loader finds the levels by the names " +
              LevelTag(0, Levels) + " to " + LevelTag(Levels - 1, Levels),
          Form->Tag.ToText(), std::nullopt, Form->Offset);
    }
    if (FOptions.Lod) return {{*FOptions.Lod, LevelTag(*FOptions.Lod, Levels)}};
    // Each level is examined once, however many forms hold no level.
    std::vector<TPlannedLevel> Plan;
    for (int32_t Lod = 0; Lod < DistinctLevelCount(std::max(Levels, 1)); ++Lod)
      Plan.push_back({Lod, LevelTag(Lod, Levels)});
    return Plan;
  }

  // Level: the level tag in a level-of-detail file, none in a single-mesh file.
  TLevelWalk WalkToLevel(const std::optional<std::string>& Level) {
    TIffReader& R = *FReader;
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
          R.OpenChunk(TIffTag::FromBytes(MeshTags[C]));
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
  bool RecordsInFile(const TLevelWalk& Walk, int& Failing) const {
    for (int C = 0; C < 4; ++C) {
      const TChunk* Chunk = Walk.Chunks[C];
      const int64_t InFile = std::max<int64_t>(0, FFileSize - (int64_t(Chunk->Offset) + 8));
      if (int64_t(Chunk->Size / RecordSizes[C]) * RecordSizes[C] > InFile) {
        Failing = C;
        return false;
      }
    }
    return true;
  }

  // The loader run at one planned level, read-only and without OpenGL: the
  // whole model from the file, or (the levels after the first) the level's
  // mesh alone through the check's own reader, so that a file of many
  // levels is not indexed again for each.
  TLoad Load(const TPlannedLevel& Planned, bool Whole) {
    TLoad Result;
    Result.Level = Planned.Level;
    Result.Model = std::make_unique<TZorvObject>(TDisplayListPolicy::None);
    TZorvObject& Model = *Result.Model;
    Model.OpenReadOnly = true;
    Model.SetKeepData(true);
    Model.SetLOD(Planned.Lod);  // no file yet: only stored
    std::optional<std::string>& Level = Result.Level;
    Model.OnLog = [&Level](T3DObject&, const std::string& Msg) {
      if (Msg.rfind("load LOD: ", 0) == 0) Level = Msg.substr(10);
    };
    try {
      if (Whole)
        Model.LoadFromFile(FFileName);
      else
        Model.LoadLevel(*FReader);
    } catch (const Exception& E) {
      Result.Failure = E.Message();
      Result.Failed = true;
    }
    Model.OnLog = nullptr;
    return Result;
  }

  void CheckLevel(TLoad Loaded) {
    const std::optional<std::string> Level = Loaded.Level;
    const bool Failed = Loaded.Failed;
    const std::string& Failure = Loaded.Failure;
    const TZorvObject& Model = *Loaded.Model;
    const bool SingleMesh = FReader->CurrentTag() == TIffTag("MESH");
    const TLevelWalk Walk = WalkToLevel(SingleMesh ? std::nullopt : std::optional<std::string>(Level.value_or("0000")));
    if (!Walk.MissingForm.empty()) {
      Add(TCheckCodeId::MeshMissing, Failed ? Failure : Walk.MissingForm, Level, std::nullopt, Walk.MissingAt);
      return;
    }
    bool Missing = false;
    for (int C = 0; C < 4; ++C) {
      if (Walk.Chunks[C]) continue;
      // The first missing chunk is the one that ended the load.
      Add(TCheckCodeId::MeshChunkMissing, Failed && !Missing ? Failure : Walk.MissingChunk[C], Level, std::nullopt,
          Walk.MeshForm->Offset);
      Missing = true;
    }
    if (Missing) return;
    if (Failed) {
      int Failing = -1;
      const bool Whole = RecordsInFile(Walk, Failing);
      // The loader drops the faces it refuses for sharing corners beyond
      // the room of the mesh: a whole "FACE" chunk left without a face.
      const TChunk* Faces = Walk.Chunks[3];
      if (Whole && Model.Mesh().FaceCount == 0 && Faces->Size >= int32_t(sizeof(TFace))) Failing = 3;
      // A load that failed in the hardpoints, after the whole mesh was read:
      // that failure is already a finding of its own.
      if (!Whole || Failing == 3 || !FHardpointsFailed()) {
        Add(TCheckCodeId::MeshUnreadable, Failure, Level, std::nullopt,
            Failing >= 0 ? Walk.Chunks[Failing]->Offset : Walk.MeshForm->Offset);
        return;
      }
    }
    CheckMesh(Model.Mesh(), Walk, Level);
  }

  bool FHardpointsFailed() const {
    return std::any_of(FFindings.begin(), FFindings.end(),
                       [](const TFinding& F) { return F.Code->Id == TCheckCodeId::HardpointUnreadable; });
  }

  void CheckMesh(const TMeshData& Mesh, const TLevelWalk& Walk, const std::optional<std::string>& Level) {
    const size_t Bytes[4] = {Mesh.Vertices.Bytes(), Mesh.Normals.Bytes(), Mesh.FaceVertices.Bytes(),
                             Mesh.Faces.Bytes()};
    for (int C = 0; C < 4; ++C) {
      const size_t Over = Bytes[C] % size_t(RecordSizes[C]);
      if (Over)
        Add(TCheckCodeId::PartialRecord,
            std::string("chunk \"") + MeshTags[C] + "\" holds " + std::to_string(Bytes[C]) + " bytes: " +
                std::to_string(Bytes[C] / size_t(RecordSizes[C])) + " records of " + std::to_string(RecordSizes[C]) +
                " and " + std::to_string(Over) + " bytes that are not a whole record",
            Level, int64_t(Bytes[C] / size_t(RecordSizes[C])), Walk.Chunks[C]->Offset);
    }
    if (Mesh.FaceCount == 0)
      Add(TCheckCodeId::LodEmpty, "the level has no faces", Level, std::nullopt, Walk.Chunks[3]->Offset);

    const int64_t VertOffset = Walk.Chunks[0]->Offset, NormOffset = Walk.Chunks[1]->Offset,
                  FaceOffset = Walk.Chunks[3]->Offset;
    {
      TCapped NonFinite(*this, TCheckCodeId::NonfiniteValue, Level, VertOffset, "vertices that are not finite");
      for (int32_t I = 0; I < Mesh.VertexCount; ++I)
        if (!Finite(Mesh.Vertices[size_t(I)]))
          NonFinite.Add(I, [&] { return "vertex " + std::to_string(I) + " is " + VectorText(Mesh.Vertices[size_t(I)]); });
      NonFinite.Finish();
    }
    {
      TCapped NonFinite(*this, TCheckCodeId::NonfiniteValue, Level, NormOffset, "normals that are not finite");
      TCapped Unnormalised(*this, TCheckCodeId::UnnormalisedNormal, Level, NormOffset, "normals whose length is not 1");
      for (int32_t I = 0; I < Mesh.NormalCount; ++I) {
        const TVector& N = Mesh.Normals[size_t(I)];
        if (!Finite(N)) {
          NonFinite.Add(I, [&] { return "normal " + std::to_string(I) + " is " + VectorText(N); });
          continue;
        }
        const double Length = std::sqrt(double(N.X) * N.X + double(N.Y) * N.Y + double(N.Z) * N.Z);
        if (std::fabs(Length - 1) > Tolerance)
          Unnormalised.Add(I, [&] { return "normal " + std::to_string(I) + " has length " + Number(Length); });
      }
      NonFinite.Finish();
      Unnormalised.Finish();
    }
    CheckFaces(Mesh, Level, FaceOffset, VertOffset);
  }

  void CheckFaces(const TMeshData& Mesh, const std::optional<std::string>& Level, int64_t FaceOffset,
                  int64_t VertOffset) {
    const int32_t FaceVertexCount = Mesh.FaceVertexCount;
    // For each face-vertex, the first one at or after it whose vertex lies
    // outside the vertices: a face's corners are then checked at once,
    // however long or often repeated its run.
    std::vector<int32_t> NextBad(size_t(FaceVertexCount) + 1, FaceVertexCount);
    for (int32_t I = FaceVertexCount - 1; I >= 0; --I) {
      const int32_t V = Mesh.FaceVertices[size_t(I)].Vertex;
      NextBad[size_t(I)] = (V < 0 || V >= Mesh.VertexCount) ? I : NextBad[size_t(I) + 1];
    }
    // How many usable faces cover each face-vertex, as differences.
    std::vector<int32_t> Covered(size_t(FaceVertexCount) + 1, 0);
    int64_t Budget = 16 * int64_t(FaceVertexCount) + 4096;
    int64_t Unexamined = 0;
    {
      TCapped OutOfRange(*this, TCheckCodeId::IndexOutOfRange, Level, FaceOffset, "faces with indices outside their arrays");
      TCapped Degenerate(*this, TCheckCodeId::DegenerateFace, Level, FaceOffset, "degenerate faces");
      for (int32_t F = 0; F < Mesh.FaceCount; ++F) {
        const TFace& Face = Mesh.Faces[size_t(F)];
        const std::string Name = "face " + std::to_string(F);
        if (Face.Normal < 0 || Face.Normal >= Mesh.NormalCount) {
          OutOfRange.Add(F, [&] {
            return Name + ": normal " + std::to_string(Face.Normal) + " lies outside the " +
                   std::to_string(Mesh.NormalCount) + " normals";
          });
          continue;
        }
        const int64_t End = int64_t(Face.First) + int64_t(Face.Count);
        if (Face.First < 0 || Face.Count < 0 || End > FaceVertexCount) {
          OutOfRange.Add(F, [&] {
            return Name + ": its " + std::to_string(Face.Count) + " corners from face-vertex " +
                   std::to_string(Face.First) + " lie outside the " + std::to_string(FaceVertexCount) +
                   " face-vertices";
          });
          continue;
        }
        const int32_t Bad = NextBad[size_t(Face.First)];
        if (Bad < End) {
          OutOfRange.Add(F, [&] {
            return Name + ": face-vertex " + std::to_string(Bad) + " names vertex " +
                   std::to_string(Mesh.FaceVertices[size_t(Bad)].Vertex) + ", outside the " +
                   std::to_string(Mesh.VertexCount) + " vertices";
          });
          continue;
        }
        ++Covered[size_t(Face.First)];
        --Covered[size_t(End)];
        if (Face.Count < 3) {
          Degenerate.Add(F, [&] { return Name + " has " + std::to_string(Face.Count) + " corners"; });
        } else if (Budget < Face.Count) {
          ++Unexamined;
        } else {
          Budget -= Face.Count;
          if (OnOneLine(Mesh, Face))
            Degenerate.Add(F, [&] { return Name + ": its " + std::to_string(Face.Count) + " corners lie on one line"; });
        }
      }
      OutOfRange.Finish();
      Degenerate.Finish();
    }
    if (Unexamined)
      Add(TCheckCodeId::CheckLimited,
          std::to_string(Unexamined) + " faces were not tested for degeneracy: their corner runs overlap beyond the "
                                       "work bound",
          Level, std::nullopt, FaceOffset);
    CheckEnclosing(Mesh, Covered, Level, VertOffset);
  }

  // Whether every corner of a face lies on one line through its first
  // corner, within a small angle; a face with a corner that is not finite
  // is not judged.
  static bool OnOneLine(const TMeshData& Mesh, const TFace& Face) {
    const TFaceVertex* Corners = Mesh.FaceVertices.Data() + Face.First;
    const TVector& P0 = Mesh.Vertices[size_t(Corners[0].Vertex)];
    if (!Finite(P0)) return false;
    double D[3] = {0, 0, 0};
    double DLength2 = 0;
    for (int32_t I = 1; I < Face.Count; ++I) {
      const TVector& P = Mesh.Vertices[size_t(Corners[I].Vertex)];
      if (!Finite(P)) return false;
      const double E[3] = {double(P.X) - P0.X, double(P.Y) - P0.Y, double(P.Z) - P0.Z};
      const double ELength2 = E[0] * E[0] + E[1] * E[1] + E[2] * E[2];
      if (ELength2 == 0) continue;
      if (DLength2 == 0) {
        std::copy(E, E + 3, D);
        DLength2 = ELength2;
        continue;
      }
      const double C[3] = {E[1] * D[2] - E[2] * D[1], E[2] * D[0] - E[0] * D[2], E[0] * D[1] - E[1] * D[0]};
      const double CLength2 = C[0] * C[0] + C[1] * C[1] + C[2] * C[2];
      // |E x D| = |E| |D| sin(angle)
      if (CLength2 > LineTolerance * LineTolerance * ELength2 * DLength2) return false;
    }
    return true;
  }

  void CheckEnclosing(const TMeshData& Mesh, std::vector<int32_t>& Covered, const std::optional<std::string>& Level,
                      int64_t VertOffset) {
    if (!FSphere) return;
    std::vector<uint8_t> Used(size_t(Mesh.VertexCount), 0);
    int64_t Depth = 0;
    for (int32_t I = 0; I < Mesh.FaceVertexCount; ++I) {
      Depth += Covered[size_t(I)];
      if (Depth > 0) Used[size_t(Mesh.FaceVertices[size_t(I)].Vertex)] = 1;
    }
    const double R = FSphereRadius;
    const double Limit = R + SphereTolerance * R;
    int64_t Outside = 0;
    int32_t Farthest = -1;
    double FarthestDistance = 0;
    for (int32_t V = 0; V < Mesh.VertexCount; ++V) {
      const TVector& P = Mesh.Vertices[size_t(V)];
      if (!Used[size_t(V)] || !Finite(P)) continue;
      const double DX = double(P.X) - FSphereCenter.X, DY = double(P.Y) - FSphereCenter.Y,
                   DZ = double(P.Z) - FSphereCenter.Z;
      const double Distance = std::sqrt(DX * DX + DY * DY + DZ * DZ);
      if (Distance <= Limit) continue;
      ++Outside;
      if (Distance > FarthestDistance) {
        FarthestDistance = Distance;
        Farthest = V;
      }
    }
    if (Outside)
      Add(TCheckCodeId::SphereNotEnclosing,
          "vertex " + std::to_string(Farthest) + " lies " + Number(FarthestDistance - R) +
              " outside the collision sphere of radius " + Number(R) + " (" + std::to_string(Outside) +
              (Outside == 1 ? " vertex" : " vertices") + " outside)",
          Level, Farthest, VertOffset);
  }

  const std::string& FFileName;
  const TCheckOptions& FOptions;
  TIffReader* FReader = nullptr;
  int64_t FFileSize = std::numeric_limits<int64_t>::max();
  bool FSphere = false;
  TVector FSphereCenter;
  double FSphereRadius = 0;
  std::vector<TFinding> FFindings;
};

}  // namespace

std::vector<TFinding> CheckModelFile(const std::string& FileName, const TCheckOptions& Options) {
  return TFileCheck(FileName, Options).Run();
}
