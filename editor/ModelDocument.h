#pragma once
// The editor's document, without a toolkit: the model shown and the file it
// came from, the level shown, the collision sphere's values and the file they
// belong to, the hardpoints (each with an identity that survives reordering,
// adding and deleting), the selection (one or several hardpoints, by
// identity, and among them the one clicked last) and the history. Only the document
// changes them; every change is told to its observers, so that the panels and
// the drawing show it.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor/EditHistory.h"
#include "editor/PrivateModelFile.h"
#include "levels/LevelMaking.h"
#include "model/THardpoint.h"
#include "runtime/FileLayer.h"

class TZorvObject;

// The hardpoints as the writer and the outputs take them: the records
// without their identities, in list order.
std::vector<THardpoint> ModelHardpoints(const std::vector<TDocumentHardpoint>& Hardpoints);

class TModelDocument {
public:
  // What a change touched, as bits of the observers' argument.
  enum TChange : unsigned {
    ModelChanged = 1,       // another model (a load) or another level
    SphereChanged = 2,      // the sphere's values, its file or "tree present"
    HardpointsChanged = 4,  // the list: names, matrices, order, count
    SelectionChanged = 8,
    HistoryChanged = 16,
    KeptChanged = 32,  // what counts as kept: hardpoints copied, exported or saved as a new file
    Everything = 63,
  };
  using TObserver = std::function<void(unsigned Changes)>;

  TModelDocument();
  ~TModelDocument();
  TModelDocument(const TModelDocument&) = delete;
  TModelDocument& operator=(const TModelDocument&) = delete;

  void Observe(TObserver Observer) { FObservers.push_back(std::move(Observer)); }

  // The model shown, its mesh: the hardpoints and the selection are the
  // document's, which the drawing shows with it (MakeSceneState); none
  // before the first load.
  TZorvObject* Model() const { return FModel.get(); }
  const std::unique_ptr<TZorvObject>& ModelOwner() const { return FModel; }
  // The file the model shown is read from; empty before the first load.
  // For a new model, the program's private copy (LoadNewModel); with levels
  // of detail made in the window, the program's file that holds them.
  const std::string& FileName() const;
  // A new model has no file of its own yet: it came from MeshFile, another
  // tool's mesh. Empty for a model loaded from its file.
  bool NewModel() const { return !FMeshFile.empty(); }
  const std::string& MeshFile() const { return FMeshFile; }
  // The file the user knows the model shown by: the mesh of a new model,
  // else the file loaded (or written by a new model's Save Model As...).
  const std::string& ShownFile() const { return NewModel() ? FMeshFile : FOwnFile; }
  // The level of detail shown: 1 for every newly chosen file; a level chosen
  // stays for loads of the same file, however its name is spelled.
  const int& Level() const { return FLevel; }

  const float (&SphereCenter() const)[3] { return FSphereCenter; }
  const float& SphereDiameter() const { return FSphereDiameter; }
  TSphereValues Sphere() const;
  // The file whose sphere the values are and which Save writes; empty (and
  // nothing to save) before the first load.
  const std::string& SphereFile() const { return FSphereFile; }
  bool TreePresent() const { return FTreePresent; }

  const std::vector<TDocumentHardpoint>& Hardpoints() const { return FHardpoints; }
  // The selected hardpoint that was clicked last, which the grid shows: its
  // index in the list, -1 for none. While there are hardpoints, one is.
  int Selected() const;
  const TDocumentHardpoint* SelectedHardpoint() const;
  // Every selected hardpoint, in list order: indices, identities.
  std::vector<int> SelectedIndices() const;
  std::vector<THardpointId> SelectedIds() const;
  bool IsSelected(THardpointId Id) const;
  // The index of the hardpoint Id names, -1 when the list holds none.
  int IndexOf(THardpointId Id) const;

  const TEditHistory& History() const { return FHistory; }

  // Loads FileName whole: the model at its level, the sphere and the
  // hardpoints; the first hardpoint is selected and the history starts
  // empty. A model that fails to load changes nothing and raises its error.
  // A model whose sphere cannot be read is shown with its hardpoints, and
  // the sphere stays the one shown before, with its file; then the sphere's
  // error is raised.
  void Load(const std::string& FileName);
  // Loads the model written into File as a new model made from MeshFile, as
  // Load does; the document keeps File (and removes it once another model
  // is shown). It has no sphere's file: Save writes nothing in place, and
  // the model is unsaved work until Save Model As... gives it a file.
  void LoadNewModel(std::unique_ptr<TPrivateModelFile> File, const std::string& MeshFile);
  // After the model shown, its hardpoints and its sphere were written into
  // Output as a whole new model file: a new model becomes that file's, which
  // the document then shows (its sphere's file too); the history stays.
  void BecomeFile(const std::string& Output);
  // The mesh of another level of the file shown; everything else stays.
  void SwitchLevel(int Level);

  // Levels of detail made from level "0000" of the model shown, as
  // MakeLevels (levels/LevelMaking.h) makes them, and shown in place of its
  // levels "0001" onwards, the level shown staying as chosen: one step,
  // which undo takes back to the levels shown before and redo shows again
  // as made. The hardpoints, the sphere and the file loaded stay; the levels
  // are unsaved work (LevelsUnsaved) until Save Model As... writes them. A
  // model without a level container, or levels that cannot be made, raise
  // the levels library's error and change nothing.
  struct TLevelsMade {
    int64_t FinestFaces = 0;  // level "0000"'s, one per face record
    std::vector<TMadeLevel> Levels;
  };
  TLevelsMade MakeLevels(const TLevelOptions& Options, const std::string& StepName);

  // Whether the sphere's file on disk is no longer the one its values were
  // read from (replaced, or changed since). Raises the file layer's error
  // when it cannot be looked at.
  bool SphereFileReplaced() const;
  // Writes the sphere's values into its file, in place, and reads back what
  // the file then holds of the sphere. The hardpoints, the selection and the
  // history stay. Unless EvenIfReplaced, a file replaced or changed since it
  // was read is refused before anything is written.
  void SaveSphere(bool EvenIfReplaced = false);

  // Enter in the sphere's boxes: the four texts are read Diameter first, then
  // X, Y, Z, each stored as soon as it is read; a text that is not a number
  // raises and leaves it and the later ones as they were. One step.
  void EnterSphereTexts(const std::string& X, const std::string& Y, const std::string& Z, const std::string& Diameter);
  void ChangeSphere(const TSphereValues& Values, const std::string& StepName);
  void ChangeMatrix(THardpointId Id, const THardpointMatrix& Matrix, const std::string& StepName,
                    std::optional<TMergeKey> Merge = std::nullopt);
  // Each of these list edits cancels a drag under way first.
  // A new hardpoint at Index (clamped to the list), selected alone; its
  // identity.
  THardpointId AddHardpoint(size_t Index, const std::string& Name, const THardpointMatrix& Matrix,
                            const std::string& StepName);
  // New hardpoints, one after another, each at its Index (clamped to the
  // list as the ones before left it), as one step; they become the
  // selection, the last of them current. Their identities, in that order.
  struct TNewHardpoint {
    size_t Index = 0;
    THardpoint Hardpoint;
  };
  std::vector<THardpointId> AddHardpoints(const std::vector<TNewHardpoint>& New, const std::string& StepName);
  // The hardpoints Ids names out of the list, as one step; unknown ones are
  // passed over, and none known makes no step.
  void RemoveHardpoints(const std::vector<THardpointId>& Ids, const std::string& StepName);
  // A name the model file or the script cannot carry raises the name rule's
  // error (model/HardpointName.h) and changes nothing.
  void RenameHardpoint(THardpointId Id, const std::string& Name, const std::string& StepName);

  // The selection. Each operation takes an index into the list, and one
  // outside it changes nothing; the hardpoint clicked becomes the current
  // one. Select: that one alone (a plain click), and the anchor of ranges.
  void Select(int Index);
  // Ctrl+click: in or out of the selection. Taken out, the current one is
  // the one selected before it; the only selected hardpoint stays selected,
  // so that the grid always has one to show.
  void ToggleSelected(int Index);
  // Shift+click in the list: the range from the anchor to Index, in list
  // order, replaces the selection; the anchor stays for the next range.
  // Without an anchor (it was deleted), as Select.
  void SelectRange(int Index);
  // Shift+click in the views, which have no order: that one joins the
  // selection, and is the anchor of ranges.
  void AddToSelection(int Index);
  // Exactly the known ones of Ids, Current among them the current one (else
  // the last known); none known changes nothing.
  void SelectHardpoints(const std::vector<THardpointId>& Ids, THardpointId Current);
  // Ends the merging of typed steps (Enter).
  void SealHistory();

  // Takes the last step back, or puts the last one taken back again; a drag
  // under way is cancelled first. The hardpoints the step changed that are
  // in the list are selected, the first in list order current. False when
  // there was no step.
  bool Undo();
  bool Redo();

  // Matrices shown while a drag is under way: no step until CommitPreview
  // makes one of the whole drag, of every hardpoint it moved; CancelPreview
  // puts them all back.
  void PreviewMatrices(const std::vector<std::pair<THardpointId, THardpointMatrix>>& Matrices);
  void CommitPreview(const std::string& StepName);
  void CancelPreview();
  // The drag under way, which Cancel puts back: undo, redo, a load or a
  // level switch cancel it before they run. Empty when none runs.
  void SetGesture(std::function<void()> Cancel) { FGestureCancel = std::move(Cancel); }
  bool GestureUnderWay() const { return bool(FGestureCancel); }
  void CancelGesture();

  // Unsaved work: sphere values that differ from the file's, and hardpoints
  // that differ from the file's and were not copied or exported since.
  bool SphereUnsaved() const;
  // (A new model is unsaved work as a whole until it has a file: NewModel.)
  bool HardpointsUnsaved() const;
  // Levels of detail made in the window are shown that no file holds.
  bool LevelsUnsaved() const;
  // Whether the levels shown were made in the window.
  bool MadeLevelsShown() const { return FSource && FSource->MadeLevels; }
  // The levels shown are in a new model file now (Save Model As...).
  void LevelsWritten();
  bool HardpointsDifferFromFile() const;
  // The hardpoints as they are now have left the program (the script copied,
  // an export written).
  void HardpointsCopied();

private:
  void Apply(const TEditCommand& Command, bool Forward);
  void Record(THistoryStep Step);
  void ShowStep(const THistoryStep& Step);
  // The selection becomes Ids (known ones), with Current and Anchor, told to
  // the observers.
  void SetSelection(std::vector<THardpointId> Ids, THardpointId Current, THardpointId Anchor);
  // After Id left the list from Index: out of the selection; with none left,
  // the hardpoint now at Index (or the last) alone.
  void Deselect(THardpointId Id, size_t Index);
  void Notify(unsigned Changes);
  TDocumentHardpoint* Find(THardpointId Id);

  void LoadModel(const std::string& FileName, std::unique_ptr<TPrivateModelFile> Private, const std::string& MeshFile);
  // The model read again from Source at the level shown, hardpoints and
  // selection kept; a model that fails to load changes nothing.
  void ShowSource(std::shared_ptr<TModelSource> Source);

  std::unique_ptr<TZorvObject> FModel;
  std::shared_ptr<TModelSource> FSource;  // what FModel is read from
  std::string FOwnFile;                   // the file loaded, or a new model's own once written
  std::string FMeshFile;                  // a new model's mesh; empty: FOwnFile is the model's own
  int FLevel = 1;
  std::string FLevelFile;  // the file FLevel was chosen for
  float FSphereCenter[3] = {0, 0, 0};
  float FSphereDiameter = 0;
  TSphereValues FSphereInFile{};
  std::string FSphereFile;
  TFileIdentity FSphereIdentity;
  bool FTreePresent = false;
  std::vector<TDocumentHardpoint> FHardpoints;
  std::vector<TDocumentHardpoint> FHardpointsInFile;  // as loaded
  std::vector<TDocumentHardpoint> FHardpointsKept;    // as loaded, or as last copied
  THardpointId FNextId = 1;
  std::vector<THardpointId> FSelection;  // in the order selected
  THardpointId FCurrent = 0;             // the one clicked last; 0 for none
  THardpointId FAnchor = 0;              // where SelectRange's ranges start
  TEditHistory FHistory;
  std::vector<TMatrixCommand> FPreview;
  std::function<void()> FGestureCancel;
  std::vector<TObserver> FObservers;
};
