#include "editor/ModelDocument.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "editor/SameModelFile.h"
#include "editor/SphereEdits.h"
#include "model/EditorModel.h"
#include "model/SphereFile.h"
#include "model/TZorvObject.h"

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

}  // namespace

std::vector<THardpoint> ModelHardpoints(const std::vector<TDocumentHardpoint>& Hardpoints) {
  std::vector<THardpoint> Result(Hardpoints.size());
  for (size_t I = 0; I < Hardpoints.size(); ++I) {
    Result[I].Name = Hardpoints[I].Name;
    Result[I].Matrix = Hardpoints[I].Matrix;
  }
  return Result;
}

TModelDocument::TModelDocument() = default;
TModelDocument::~TModelDocument() = default;

TSphereValues TModelDocument::Sphere() const {
  return {FSphereCenter[0], FSphereCenter[1], FSphereCenter[2], FSphereDiameter};
}

const TDocumentHardpoint* TModelDocument::SelectedHardpoint() const {
  return FSelected >= 0 && FSelected < int(FHardpoints.size()) ? &FHardpoints[size_t(FSelected)] : nullptr;
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

void TModelDocument::SyncModel() {
  if (!FModel) return;
  FModel->SetHardpoints(ModelHardpoints(FHardpoints));
  FModel->SelectedHardpoint = FSelected;
}

// ---- loading and saving ----

void TModelDocument::Load(const std::string& FileName) {
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

  std::vector<TDocumentHardpoint> Hardpoints;
  for (int32_t I = 0; I < Model->HardpointCount(); ++I)
    if (const THardpoint* Hardpoint = Model->GetHardpoint(I))
      Hardpoints.push_back({FNextId++, Hardpoint->Name, Hardpoint->Matrix});

  FModel = std::move(Model);
  FFileName = FileName;
  FLevel = Level;
  FLevelFile = FileName;
  if (!SphereError) {
    std::copy(Center, Center + 3, FSphereCenter);
    FSphereDiameter = Diameter;
    FSphereInFile = Sphere();
    FSphereFile = FileName;
    FSphereIdentity = Identity;
    FTreePresent = TreePresent;
  }
  FHardpoints = std::move(Hardpoints);
  FHardpointsKept = FHardpointsInFile = FHardpoints;
  FSelected = FHardpoints.empty() ? -1 : 0;
  FPreview.reset();
  FHistory.Clear();
  SyncModel();
  Notify(SphereError ? Everything & ~SphereChanged : Everything);
  if (SphereError) std::rethrow_exception(SphereError);
}

void TModelDocument::SwitchLevel(int Level) {
  if (!FModel) return;
  CancelGesture();
  // A level that fails to load changes nothing; its message is the loader's.
  auto Switched = std::make_unique<TZorvObject>(TDisplayListPolicy::None);
  SetUpEditorModel(*Switched, FFileName, Level);
  FModel = std::move(Switched);
  FLevel = Level;
  SyncModel();
  Notify(ModelChanged);
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
  // A drag under way goes back first: the list it moves in changes.
  CancelGesture();
  const TListCommand Command{std::min(Index, FHardpoints.size()), {FNextId++, Name, Matrix}, true};
  Apply(Command, true);
  FSelected = int(Command.Index);
  SyncModel();
  Notify(HardpointsChanged | SelectionChanged);
  Record({StepName, std::nullopt, {Command}});
  return Command.Hardpoint.Id;
}

void TModelDocument::RemoveHardpoint(THardpointId Id, const std::string& StepName) {
  CancelGesture();
  const int Index = IndexOf(Id);
  if (Index < 0) return;
  const TListCommand Command{size_t(Index), FHardpoints[size_t(Index)], false};
  Apply(Command, true);
  Notify(HardpointsChanged | SelectionChanged);
  Record({StepName, std::nullopt, {Command}});
}

void TModelDocument::RenameHardpoint(THardpointId Id, const std::string& Name, const std::string& StepName) {
  CancelGesture();
  const TDocumentHardpoint* Hardpoint = Find(Id);
  if (Hardpoint == nullptr) return;
  const TRenameCommand Command{Id, Hardpoint->Name, Name};
  Apply(Command, true);
  Notify(HardpointsChanged);
  Record({StepName, std::nullopt, {Command}});
}

void TModelDocument::Select(int Index) {
  if (Index < 0 || Index >= int(FHardpoints.size())) return;
  FSelected = Index;
  if (FModel) FModel->SelectedHardpoint = Index;
  Notify(SelectionChanged);
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
  } else if (const auto* List = std::get_if<TListCommand>(&Command)) {
    const THardpointId Selected = SelectedHardpoint() ? SelectedHardpoint()->Id : 0;
    if (List->Added == Forward) {
      FHardpoints.insert(FHardpoints.begin() + long(std::min(List->Index, FHardpoints.size())), List->Hardpoint);
    } else {
      const int Index = IndexOf(List->Hardpoint.Id);
      if (Index >= 0) FHardpoints.erase(FHardpoints.begin() + Index);
    }
    // The selection follows its hardpoint; with that gone, its neighbour.
    FSelected = IndexOf(Selected);
    if (FSelected < 0 && !FHardpoints.empty()) FSelected = std::min(int(List->Index), int(FHardpoints.size()) - 1);
  }
  SyncModel();
}

void TModelDocument::ShowStep(const THistoryStep& Step) {
  // The hardpoint the step changed is selected, so that the grid shows it.
  for (const TEditCommand& Command : Step.Commands)
    if (const int Index = IndexOf(CommandHardpoint(Command)); Index >= 0) {
      FSelected = Index;
      break;
    }
  SyncModel();
  Notify(Everything & ~ModelChanged);
}

bool TModelDocument::Undo() {
  CancelGesture();
  const THistoryStep* Step = FHistory.TakeUndo();
  if (Step == nullptr) return false;
  for (auto It = Step->Commands.rbegin(); It != Step->Commands.rend(); ++It) Apply(*It, false);
  ShowStep(*Step);
  return true;
}

bool TModelDocument::Redo() {
  CancelGesture();
  const THistoryStep* Step = FHistory.TakeRedo();
  if (Step == nullptr) return false;
  for (const TEditCommand& Command : Step->Commands) Apply(Command, true);
  ShowStep(*Step);
  return true;
}

// ---- drags ----

void TModelDocument::PreviewMatrix(THardpointId Id, const THardpointMatrix& Matrix) {
  TDocumentHardpoint* Hardpoint = Find(Id);
  if (Hardpoint == nullptr) return;
  if (!FPreview || FPreview->Id != Id) FPreview = TMatrixCommand{Id, Hardpoint->Matrix, Matrix};
  FPreview->After = Matrix;
  Hardpoint->Matrix = Matrix;
  SyncModel();
  Notify(HardpointsChanged);
}

void TModelDocument::CommitPreview(const std::string& StepName) {
  if (!FPreview) return;
  const TMatrixCommand Command = *FPreview;
  FPreview.reset();
  FHistory.Seal();
  Record({StepName, std::nullopt, {Command}});
  FHistory.Seal();
}

void TModelDocument::CancelPreview() {
  if (!FPreview) return;
  const TMatrixCommand Command = *FPreview;
  FPreview.reset();
  Apply(Command, false);
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

bool TModelDocument::HardpointsDifferFromFile() const { return !SameHardpoints(FHardpoints, FHardpointsInFile); }

void TModelDocument::HardpointsCopied() { FHardpointsKept = FHardpoints; }
