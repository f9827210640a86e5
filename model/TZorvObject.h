#pragma once
// TZorvObject: a T3DObject read from a model file, either a level-of-detail
// file (a top form of any type but "MESH", its "MESH" container holding the
// levels "0000", "0001", ...) or a single-mesh file (top form "MESH"); plus
// the hardpoints of the FORM "HARD" when that is the top form's second
// sub-form.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/ModelLayout.h"
#include "model/T3DObject.h"
#include "model/THardpoint.h"

class TIffReader;

QUELBIR_EXCEPTION(EZorvObject);

class TZorvObject : public T3DObject {
public:
  explicit TZorvObject(TDisplayListPolicy Policy = TDisplayListPolicy::Generate);
  // Releases the hardpoints, then everything T3DObject releases.
  ~TZorvObject() override;

  // Faces, then each hardpoint's Z axis in red and the selected one again in
  // yellow; FreeData (KeepData off) only after the axes.
  void DrawDirect() override;
  // Reads the chosen level's mesh and the hardpoints. The mesh is marked
  // loaded before anything is read, so a load that fails part-way leaves
  // whatever was read (empty hardpoint entries included). A chunk whose size
  // runs past the end of the file is refused before anything is allocated.
  // Faces that together name more corners than CornerRoom allows are
  // refused once read, and dropped, so every walk over the corners of a
  // loaded mesh costs no more than the file's size.
  void LoadFromFile(const std::string& FileName) override;
  // LoadFromFile's mesh alone, through Reader, already open on the file at
  // its top form (where it is left however the load ends): for callers that
  // go through every level of one file, which must cost the file's size and
  // not its size once per level. Neither indexes the file again nor names
  // its levels ("LOD: ") nor reads the hardpoints (there are none after it).
  void LoadLevel(TIffReader& Reader);
  // Writes the mesh in memory (whole records only) as a level-of-detail file
  // with the single level "0000" and nothing else; loads first when needed.
  void SaveToFile(const std::string& FileName) override;
  // Each hardpoint's Z axis in red and the selected one again in yellow, as
  // DrawDirect draws them after the faces; the line width is 1 afterwards.
  // The axes are a tenth of the model's largest extent long (GetMaxSize,
  // which walks the mesh); a caller that knows it already passes it.
  void DrawHardpoints();
  void DrawHardpoints(float MaxSize);
  // An outline box of the model's size, centred on the model's origin.
  virtual void DrawBoundingBox();

  // Does nothing for the current value; otherwise stores it and, when a file
  // is known, reads it again.
  void SetLOD(int32_t Value);
  int32_t LOD() const { return FLOD; }
  // The levels the last load named and the one it read (ModelLayout), kept
  // as far as that load got, a failed one included.
  const TModelLevels& Levels() const { return FLevels; }

  // Measure whatever mesh is in memory, without loading (MeasureMeshBounds).
  void GetBounds(TVector& Min, TVector& Max) const;
  void GetSize(TVector& Size) const;    // Max - Min per axis
  void GetMaxSize(float& Value) const;  // the largest of the three

  int32_t HardpointCount() const { return int32_t(FHardpoints.size()); }
  // The hardpoint at Index; nullptr outside 0..HardpointCount - 1 and for an
  // entry a failed load left empty.
  THardpoint* GetHardpoint(int32_t Index) const;
  // Replaces the whole list with Hardpoints, in their order: the editor's
  // document keeps the hardpoints as the user edits them and has the model
  // draw those.
  void SetHardpoints(const std::vector<THardpoint>& Hardpoints);

  // The hardpoint drawn highlighted; -1 for none. A plain field.
  int32_t SelectedHardpoint = 0;
  bool HardpointSelected(int32_t Index) const { return Index == SelectedHardpoint; }

  // The editor opens its model files for reading and writing, as every reader
  // of the file it saves into does, so a file it could not save is refused at
  // load already. Callers that only inspect a file (the command-line tool)
  // set this to read files they may not write.
  bool OpenReadOnly = false;

private:
  // The level tag for LOD inside the open level container (LevelTag);
  // records it and logs "load LOD: " + the tag.
  std::string ChooseLOD(TIffReader& Reader);
  // The chosen level's mesh, from the top form; logs the levels' tags when
  // NameLevels.
  void ReadLevel(TIffReader& Reader, bool NameLevels);
  void ReadMeshChunks(TIffReader& Reader, int64_t FileSize);
  void ReadHardpoints(TIffReader& Reader);
  void ClearHardpoints();
  void DrawHardpointAxis(const THardpoint& Hardpoint, float Red, float Green, float Length);

  int32_t FLOD = 0;
  TModelLevels FLevels;
  std::vector<std::unique_ptr<THardpoint>> FHardpoints;  // empty entries possible
};
