#include "editor/ModelDocument.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <unordered_map>
#include <unordered_set>

#include "editor/SameModelFile.h"
#include "editor/SphereEdits.h"
#include "levels/LevelsFile.h"
#include "model/EditorModel.h"
#include "model/HardpointName.h"
#include "model/SphereFile.h"
#include "model/TZorvObject.h"
#include "runtime/OutputFiles.h"

namespace {

TFileIdentity IdentityOf(const std::string& FileName) { return TFileStream(FileName, TFileMode::OpenRead).Identity(); }

// Names and matrices alike, bit for bit; identities do not count.
bool SameHardpoints(const std::vector<TDocumentHardpoint>& A, const std::vector<TDocumentHardpoint>& B) {
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I)
    if (A[I].Name != B[I].Name || std::memcmp(A[I].Matrix.data(), B[I].Matrix.data(), sizeof(THardpointMatrix)) != 0)
      return false;
  return true;
}

// The hardpoint a command changed.
THardpointId CommandHardpoint(const TEditCommand& Command) {
  if (const auto* Matrix = std::get_if<TMatrixCommand>(&Command)) return Matrix->Id;
  if (const auto* Rename = std::get_if<TRenameCommand>(&Command)) return Rename->Id;
  if (const auto* List = std::get_if<TListCommand>(&Command)) return List->Hardpoint.Id;
  return 0;
}

std::shared_ptr<TModelSource> SourceOf(const std::string& Path, std::unique_ptr<TPrivateModelFile> Private = nullptr,
                                       bool MadeLevels = false) {
  auto Source = std::make_shared<TModelSource>();
  Source->Path = Path;
  Source->Private = std::move(Private);
  Source->MadeLevels = MadeLevels;
  return Source;
}

}  // namespace

std::vector<THardpoint> ModelHardpoints(const std::vector<TDocumentHardpoint>& Hardpoints) {
  return {Hardpoints.begin(), Hardpoints.end()};
}

TModelDocument::TModelDocument() = default;
TModelDocument::~TModelDocument() = default;

const std::string& TModelDocument::FileName() const {
  static const std::string None;
  return FSource ? FSource->Path : None;
}

TSphereValues TModelDocument::Sphere() const {
  return {FSphereCenter[0], FSphereCenter[1], FSphereCenter[2], FSphereDiameter};
}

int TModelDocument::Selected() const { return FCurrent == 0 ? -1 : IndexOf(FCurrent); }

const TDocumentHardpoint* TModelDocument::SelectedHardpoint() const {
  const int Index = Selected();
  return Index < 0 ? nullptr : &FHardpoints[size_t(Index)];
}

std::vector<int> TModelDocument::SelectedIndices() const {
  const std::unordered_set<THardpointId> Ids(FSelection.begin(), FSelection.end());
  std::vector<int> Indices;
  for (size_t I = 0; I < FHardpoints.size(); ++I)
    if (Ids.count(FHardpoints[I].Id) != 0) Indices.push_back(int(I));
  return Indices;
}

std::vector<THardpointId> TModelDocument::SelectedIds() const {
  std::vector<THardpointId> Ids;
  for (const int Index : SelectedIndices()) Ids.push_back(FHardpoints[size_t(Index)].Id);
  return Ids;
}

bool TModelDocument::IsSelected(THardpointId Id) const {
  return Id != 0 && std::find(FSelection.begin(), FSelection.end(), Id) != FSelection.end();
}

int TModelDocument::IndexOf(THardpointId Id) const {
  for (size_t I = 0; I < FHardpoints.size(); ++I)
    if (FHardpoints[I].Id == Id) return int(I);
  return -1;
}

TDocumentHardpoint* TModelDocument::Find(THardpointId Id) {
  const int Index = IndexOf(Id);
  return Index < 0 ? nullptr : &FHardpoints[size_t(Index)];
}

void TModelDocument::Notify(unsigned Changes) {
  for (const TObserver& Observer : FObservers) Observer(Changes);
}

// ---- loading and saving ----

void TModelDocument::Load(const std::string& FileName) { LoadModel(FileName, nullptr, {}); }

void TModelDocument::LoadNewModel(std::unique_ptr<TPrivateModelFile> File, const std::string& MeshFile) {
  const std::string Path = File->Path();
  LoadModel(Path, std::move(File), MeshFile);
}

void TModelDocument::LoadModel(const std::string& FileName, std::unique_ptr<TPrivateModelFile> Private,
                               const std::string& MeshFile) {
  CancelGesture();
  const int Level = SameModelFile(FileName, FLevelFile) ? FLevel : 1;
  // The file as it is before it is read is the only one Save may write.
  const TFileIdentity Identity = IdentityOf(FileName);
  // The model is drawn without a display list, so loading needs no OpenGL.
  auto Model = std::make_unique<TZorvObject>(TDisplayListPolicy::None);
  SetUpEditorModel(*Model, FileName, Level);
  float Center[3] = {0, 0, 0};
  float Diameter = 0;
  bool TreePresent = false;
  // A model whose sphere cannot be read is still shown: its mesh, its
  // hardpoints and its name, while the sphere stays the one shown before,
  // with the file it belongs to, so that Save never writes one file's values
  // into another. The sphere's error is raised once the model is in place.
  std::exception_ptr SphereError;
  try {
    ReadSphere(FileName, Center, Diameter, TreePresent);
  } catch (...) {
    SphereError = std::current_exception();
  }

  // The hardpoints become the document's: the model keeps none of its own.
  std::vector<TDocumentHardpoint> Hardpoints;
  for (THardpoint& Hardpoint : Model->TakeHardpoints()) Hardpoints.push_back({std::move(Hardpoint), FNextId++});

  FModel = std::move(Model);
  // The model shown before may have been read from a private file, which
  // goes with it and with the history (after the new one is in place).
  FSource = SourceOf(FileName, std::move(Private));
  FOwnFile = FileName;
  FMeshFile = MeshFile;
  FLevel = Level;
  FLevelFile = FileName;
  if (!SphereError) {
    std::copy(Center, Center + 3, FSphereCenter);
    FSphereDiameter = Diameter;
    FSphereInFile = Sphere();
    // A new model's private file is not the user's: Save never writes it.
    FSphereFile = MeshFile.empty() ? FileName : std::string();
    FSphereIdentity = Identity;
    FTreePresent = TreePresent;
  }
  FHardpoints = std::move(Hardpoints);
  FHardpointsKept = FHardpointsInFile = FHardpoints;
  FSelection.clear();
  if (!FHardpoints.empty()) FSelection.push_back(FHardpoints[0].Id);
  FCurrent = FAnchor = FSelection.empty() ? 0 : FSelection[0];
  FPreview.clear();
  FHistory.Clear();
  Notify(SphereError ? Everything & ~SphereChanged : Everything);
  if (SphereError) std::rethrow_exception(SphereError);
}

void TModelDocument::BecomeFile(const std::string& Output) {
  if (!NewModel()) return;
  const TFileIdentity Identity = IdentityOf(Output);
  float Center[3] = {0, 0, 0};
  float Diameter = 0;
  bool TreePresent = false;
  ReadSphere(Output, Center, Diameter, TreePresent);
  // The private file stays with the steps of the history that show it.
  FSource = SourceOf(Output);
  FOwnFile = FLevelFile = FSphereFile = Output;
  FMeshFile.clear();
  // What the file holds is what is shown: no work is left unsaved.
  std::copy(Center, Center + 3, FSphereCenter);
  FSphereDiameter = Diameter;
  FSphereInFile = Sphere();
  FSphereIdentity = Identity;
  FTreePresent = TreePresent;
  FHardpointsKept = FHardpointsInFile = FHardpoints;
  Notify(SphereChanged | KeptChanged);
}

void TModelDocument::SwitchLevel(int Level) {
  if (!FModel) return;
  CancelGesture();
  // A level that fails to load changes nothing; its message is the loader's.
  auto Switched = std::make_unique<TZorvObject>(TDisplayListPolicy::None);
  SetUpEditorModel(*Switched, FileName(), Level);
  // The file's hardpoints again: the document's as edited stay the ones shown.
  Switched->TakeHardpoints();
  FModel = std::move(Switched);
  FLevel = Level;
  Notify(ModelChanged);
}

void TModelDocument::ShowSource(std::shared_ptr<TModelSource> Source) {
  auto Model = std::make_unique<TZorvObject>(TDisplayListPolicy::None);
  SetUpEditorModel(*Model, Source->Path, FLevel);
  // The file's hardpoints: the document's as edited stay the ones shown.
  Model->TakeHardpoints();
  FModel = std::move(Model);
  FSource = std::move(Source);
}

TModelDocument::TLevelsMade TModelDocument::MakeLevels(const TLevelOptions& Options, const std::string& StepName) {
  TLevelsMade Made;
  if (!FModel) return Made;
  CancelGesture();
  // Made from the file the model is read from, whose level "0000" is the
  // loaded file's whatever levels were made before.
  const TModelMesh Finest = ReadFinestLevel(FileName());
  Made.FinestFaces = int64_t(Finest.Faces.size());
  Made.Levels = ::MakeLevels(Finest, Options);
  std::vector<TModelMesh> Meshes;
  for (const TMadeLevel& Level : Made.Levels) Meshes.push_back(Level.Mesh);
  const std::vector<uint8_t> Bytes = ModelFileWithLevels(FileName(), Meshes);
  auto File = std::make_unique<TPrivateModelFile>();
  WriteOutputFile(File->Path(), Bytes.data(), Bytes.size());
  const std::string Path = File->Path();
  auto Source = SourceOf(Path, std::move(File), /*MadeLevels=*/true);
  const TLevelsCommand Command{FSource, Source};
  ShowSource(Source);
  Notify(ModelChanged);
  Record({StepName, std::nullopt, {Command}});
  return Made;
}

bool TModelDocument::SphereFileReplaced() const {
  return !FSphereFile.empty() && IdentityOf(FSphereFile) != FSphereIdentity;
}

void TModelDocument::SaveSphere(bool EvenIfReplaced) {
  if (FSphereFile.empty()) return;
  WriteSphere(FSphereFile, FSphereCenter, FSphereDiameter, EvenIfReplaced ? nullptr : &FSphereIdentity);
  // What the file now holds of the sphere is what is shown; the file as it
  // is after the write is the one the next Save may write.
  const TFileIdentity Identity = IdentityOf(FSphereFile);
  float Center[3] = {0, 0, 0};
  float Diameter = 0;
  bool TreePresent = false;
  ReadSphere(FSphereFile, Center, Diameter, TreePresent);
  std::copy(Center, Center + 3, FSphereCenter);
  FSphereDiameter = Diameter;
  FSphereInFile = Sphere();
  FSphereIdentity = Identity;
  FTreePresent = TreePresent;
  Notify(SphereChanged);
}

// ---- edits ----

void TModelDocument::Record(THistoryStep Step) {
  FHistory.Record(std::move(Step));
  Notify(HistoryChanged);
}

void TModelDocument::EnterSphereTexts(const std::string& X, const std::string& Y, const std::string& Z,
                                      const std::string& Diameter) {
  const TSphereValues Before = Sphere();
  float Center[3] = {FSphereCenter[0], FSphereCenter[1], FSphereCenter[2]};
  float Value = FSphereDiameter;
  // What was read before a bad text stays stored, as one step.
  auto Store = [&] {
    std::copy(Center, Center + 3, FSphereCenter);
    FSphereDiameter = Value;
    Notify(SphereChanged);
    Record({"Sphere Values", std::nullopt, {TSphereCommand{Before, Sphere()}}});
  };
  try {
    StoreSphereTexts(X, Y, Z, Diameter, Center, Value);
  } catch (...) {
    Store();
    throw;
  }
  Store();
}

void TModelDocument::ChangeSphere(const TSphereValues& Values, const std::string& StepName) {
  const TSphereCommand Command{Sphere(), Values};
  Apply(Command, true);
  Notify(SphereChanged);
  Record({StepName, std::nullopt, {Command}});
}

void TModelDocument::ChangeMatrix(THardpointId Id, const THardpointMatrix& Matrix, const std::string& StepName,
                                  std::optional<TMergeKey> Merge) {
  const TDocumentHardpoint* Hardpoint = Find(Id);
  if (Hardpoint == nullptr) return;
  const TMatrixCommand Command{Id, Hardpoint->Matrix, Matrix};
  Apply(Command, true);
  Notify(HardpointsChanged);
  Record({StepName, Merge, {Command}});
}

THardpointId TModelDocument::AddHardpoint(size_t Index, const std::string& Name, const THardpointMatrix& Matrix,
                                          const std::string& StepName) {
  return AddHardpoints({{Index, {Name, Matrix}}}, StepName).front();
}

std::vector<THardpointId> TModelDocument::AddHardpoints(const std::vector<TNewHardpoint>& New,
                                                        const std::string& StepName) {
  // A drag under way goes back first: the list it moves in changes.
  CancelGesture();
  std::vector<THardpointId> Ids;
  THistoryStep Step{StepName, std::nullopt, {}};
  for (const TNewHardpoint& Hardpoint : New) {
    const TListCommand Command{std::min(Hardpoint.Index, FHardpoints.size()), {Hardpoint.Hardpoint, FNextId++}, true};
    Apply(Command, true);
    Ids.push_back(Command.Hardpoint.Id);
    Step.Commands.push_back(Command);
  }
  if (Ids.empty()) return Ids;
  FSelection = Ids;
  FCurrent = FAnchor = Ids.back();
  Notify(HardpointsChanged | SelectionChanged);
  Record(std::move(Step));
  return Ids;
}

void TModelDocument::RemoveHardpoints(const std::vector<THardpointId>& Ids, const std::string& StepName) {
  CancelGesture();
  // Last in the list first, so that each command's index holds as it was
  // recorded and the undo puts each back where it stood.
  const std::unordered_set<THardpointId> Going(Ids.begin(), Ids.end());
  THistoryStep Step{StepName, std::nullopt, {}};
  for (size_t I = FHardpoints.size(); I-- > 0;)
    if (Going.count(FHardpoints[I].Id) != 0) {
      const TListCommand Command{I, FHardpoints[I], false};
      Apply(Command, true);
      Step.Commands.push_back(Command);
    }
  if (Step.Commands.empty()) return;
  Notify(HardpointsChanged | SelectionChanged);
  Record(std::move(Step));
}

void TModelDocument::RenameHardpoint(THardpointId Id, const std::string& Name, const std::string& StepName) {
  // Whoever asks, a name enters only as the model file and the script can
  // carry it.
  CheckHardpointName(Name);
  CancelGesture();
  const TDocumentHardpoint* Hardpoint = Find(Id);
  if (Hardpoint == nullptr) return;
  const TRenameCommand Command{Id, Hardpoint->Name, Name};
  Apply(Command, true);
  Notify(HardpointsChanged);
  Record({StepName, std::nullopt, {Command}});
}

// ---- the selection ----

void TModelDocument::SetSelection(std::vector<THardpointId> Ids, THardpointId Current, THardpointId Anchor) {
  FSelection = std::move(Ids);
  FCurrent = Current;
  FAnchor = Anchor;
  Notify(SelectionChanged);
}

void TModelDocument::Select(int Index) {
  if (Index < 0 || Index >= int(FHardpoints.size())) return;
  const THardpointId Id = FHardpoints[size_t(Index)].Id;
  SetSelection({Id}, Id, Id);
}

void TModelDocument::ToggleSelected(int Index) {
  if (Index < 0 || Index >= int(FHardpoints.size())) return;
  const THardpointId Id = FHardpoints[size_t(Index)].Id;
  std::vector<THardpointId> Ids = FSelection;
  const auto Found = std::find(Ids.begin(), Ids.end(), Id);
  if (Found == Ids.end()) {
    Ids.push_back(Id);
    SetSelection(std::move(Ids), Id, Id);
    return;
  }
  if (Ids.size() == 1) return;  // the grid keeps a hardpoint to show
  Ids.erase(Found);
  const THardpointId Current = FCurrent == Id ? Ids.back() : FCurrent;
  SetSelection(std::move(Ids), Current, Id);
}

void TModelDocument::SelectRange(int Index) {
  const int Anchor = FAnchor == 0 ? -1 : IndexOf(FAnchor);
  if (Anchor < 0) return Select(Index);
  if (Index < 0 || Index >= int(FHardpoints.size())) return;
  std::vector<THardpointId> Ids;
  for (int I = std::min(Anchor, Index); I <= std::max(Anchor, Index); ++I) Ids.push_back(FHardpoints[size_t(I)].Id);
  // The one clicked is the current one: last in the order selected.
  const THardpointId Clicked = FHardpoints[size_t(Index)].Id;
  std::erase(Ids, Clicked);
  Ids.push_back(Clicked);
  SetSelection(std::move(Ids), Clicked, FAnchor);
}

void TModelDocument::AddToSelection(int Index) {
  if (Index < 0 || Index >= int(FHardpoints.size())) return;
  const THardpointId Id = FHardpoints[size_t(Index)].Id;
  std::vector<THardpointId> Ids = FSelection;
  std::erase(Ids, Id);
  Ids.push_back(Id);
  SetSelection(std::move(Ids), Id, Id);
}

void TModelDocument::SelectHardpoints(const std::vector<THardpointId>& Ids, THardpointId Current) {
  std::unordered_set<THardpointId> Known;
  for (const TDocumentHardpoint& Hardpoint : FHardpoints) Known.insert(Hardpoint.Id);
  std::vector<THardpointId> Chosen;
  for (const THardpointId Id : Ids)
    if (Known.erase(Id) != 0) Chosen.push_back(Id);
  if (Chosen.empty()) return;
  if (std::find(Chosen.begin(), Chosen.end(), Current) == Chosen.end()) Current = Chosen.back();
  SetSelection(std::move(Chosen), Current, Current);
}

void TModelDocument::Deselect(THardpointId Id, size_t Index) {
  std::erase(FSelection, Id);
  if (FSelection.empty() && !FHardpoints.empty())
    FSelection.push_back(FHardpoints[std::min(Index, FHardpoints.size() - 1)].Id);
  if (FCurrent == Id || FCurrent == 0) FCurrent = FSelection.empty() ? 0 : FSelection.back();
  if (FAnchor == Id) FAnchor = FCurrent;
}

void TModelDocument::SealHistory() { FHistory.Seal(); }

void TModelDocument::Apply(const TEditCommand& Command, bool Forward) {
  if (const auto* Sphere = std::get_if<TSphereCommand>(&Command)) {
    const TSphereValues& To = Forward ? Sphere->After : Sphere->Before;
    std::copy(To.begin(), To.begin() + 3, FSphereCenter);
    FSphereDiameter = To[3];
  } else if (const auto* Matrix = std::get_if<TMatrixCommand>(&Command)) {
    if (TDocumentHardpoint* Hardpoint = Find(Matrix->Id)) Hardpoint->Matrix = Forward ? Matrix->After : Matrix->Before;
  } else if (const auto* Rename = std::get_if<TRenameCommand>(&Command)) {
    if (TDocumentHardpoint* Hardpoint = Find(Rename->Id)) Hardpoint->Name = Forward ? Rename->After : Rename->Before;
  } else if (const auto* Levels = std::get_if<TLevelsCommand>(&Command)) {
    // The one command of its step: a file that no longer loads raises before
    // anything changed.
    ShowSource(Forward ? Levels->After : Levels->Before);
  } else if (const auto* List = std::get_if<TListCommand>(&Command)) {
    if (List->Added == Forward) {
      FHardpoints.insert(FHardpoints.begin() + long(std::min(List->Index, FHardpoints.size())), List->Hardpoint);
      // The first hardpoint of an empty list is selected, as a load selects it.
      if (FSelection.empty()) FSelection.push_back(List->Hardpoint.Id), FCurrent = FAnchor = List->Hardpoint.Id;
    } else {
      // The index recorded holds whenever the history is replayed in order.
      const bool AtIndex = List->Index < FHardpoints.size() && FHardpoints[List->Index].Id == List->Hardpoint.Id;
      const int Index = AtIndex ? int(List->Index) : IndexOf(List->Hardpoint.Id);
      if (Index >= 0) FHardpoints.erase(FHardpoints.begin() + Index);
      // The selection follows its hardpoints; with all gone, a neighbour.
      Deselect(List->Hardpoint.Id, List->Index);
    }
  }
}

void TModelDocument::ShowStep(const THistoryStep& Step) {
  // The hardpoints the step changed are selected, so that the views and the
  // grid show them.
  std::unordered_set<THardpointId> Changed;
  for (const TEditCommand& Command : Step.Commands) Changed.insert(CommandHardpoint(Command));
  std::vector<THardpointId> Ids;
  for (const TDocumentHardpoint& Hardpoint : FHardpoints)
    if (Changed.count(Hardpoint.Id) != 0) Ids.push_back(Hardpoint.Id);
  if (!Ids.empty()) {
    const THardpointId First = Ids.front();
    // The current one is the last in the order selected.
    std::rotate(Ids.begin(), Ids.begin() + 1, Ids.end());
    FSelection = std::move(Ids);
    FCurrent = FAnchor = First;
  }
  // A step that showed other levels loaded the model again.
  const bool Levels = std::any_of(Step.Commands.begin(), Step.Commands.end(), [](const TEditCommand& Command) {
    return std::holds_alternative<TLevelsCommand>(Command);
  });
  Notify(Levels ? Everything : Everything & ~ModelChanged);
}

bool TModelDocument::Undo() {
  CancelGesture();
  const THistoryStep* Step = FHistory.TakeUndo();
  if (Step == nullptr) return false;
  try {
    for (auto It = Step->Commands.rbegin(); It != Step->Commands.rend(); ++It) Apply(*It, false);
  } catch (...) {
    // Only a levels step can fail, before it changed anything: it stays done.
    FHistory.TakeRedo();
    throw;
  }
  ShowStep(*Step);
  return true;
}

bool TModelDocument::Redo() {
  CancelGesture();
  const THistoryStep* Step = FHistory.TakeRedo();
  if (Step == nullptr) return false;
  try {
    for (const TEditCommand& Command : Step->Commands) Apply(Command, true);
  } catch (...) {
    FHistory.TakeUndo();
    throw;
  }
  ShowStep(*Step);
  return true;
}

// ---- drags ----

void TModelDocument::PreviewMatrices(const std::vector<std::pair<THardpointId, THardpointMatrix>>& Matrices) {
  // Looked up once per call, so that a drag of many costs the list's length
  // per step of the pointer, not its square.
  std::unordered_map<THardpointId, size_t> Index, Previewed;
  for (size_t I = 0; I < FHardpoints.size(); ++I) Index.emplace(FHardpoints[I].Id, I);
  for (size_t I = 0; I < FPreview.size(); ++I) Previewed.emplace(FPreview[I].Id, I);
  bool Changed = false;
  for (const auto& [Id, Matrix] : Matrices) {
    const auto Found = Index.find(Id);
    if (Found == Index.end()) continue;
    TDocumentHardpoint& Hardpoint = FHardpoints[Found->second];
    // Each hardpoint's Before is its matrix when the drag first moved it.
    auto [Entry, New] = Previewed.emplace(Id, FPreview.size());
    if (New) FPreview.push_back({Id, Hardpoint.Matrix, Matrix});
    FPreview[Entry->second].After = Matrix;
    Hardpoint.Matrix = Matrix;
    Changed = true;
  }
  if (!Changed) return;
  Notify(HardpointsChanged);
}

void TModelDocument::CommitPreview(const std::string& StepName) {
  if (FPreview.empty()) return;
  THistoryStep Step{StepName, std::nullopt, {}};
  for (const TMatrixCommand& Command : FPreview) Step.Commands.push_back(Command);
  FPreview.clear();
  FHistory.Seal();
  Record(std::move(Step));
  FHistory.Seal();
}

void TModelDocument::CancelPreview() {
  if (FPreview.empty()) return;
  const std::vector<TMatrixCommand> Commands = std::move(FPreview);
  FPreview.clear();
  for (auto It = Commands.rbegin(); It != Commands.rend(); ++It) Apply(*It, false);
  Notify(HardpointsChanged);
}

void TModelDocument::CancelGesture() {
  std::function<void()> Cancel = std::move(FGestureCancel);
  FGestureCancel = nullptr;
  if (Cancel) Cancel();
  CancelPreview();
}

// ---- unsaved work ----

bool TModelDocument::SphereUnsaved() const {
  const TSphereValues Now = Sphere();
  return !FSphereFile.empty() && std::memcmp(Now.data(), FSphereInFile.data(), sizeof(TSphereValues)) != 0;
}

bool TModelDocument::HardpointsUnsaved() const { return !SameHardpoints(FHardpoints, FHardpointsKept); }

bool TModelDocument::LevelsUnsaved() const { return MadeLevelsShown() && !FSource->Written; }

void TModelDocument::LevelsWritten() {
  if (!MadeLevelsShown()) return;
  FSource->Written = true;
  Notify(KeptChanged);
}

bool TModelDocument::HardpointsDifferFromFile() const { return !SameHardpoints(FHardpoints, FHardpointsInFile); }

void TModelDocument::HardpointsCopied() {
  FHardpointsKept = FHardpoints;
  Notify(KeptChanged);
}
