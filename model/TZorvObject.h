#pragma once
// TZorvObject: a T3DObject read from a model file, either a level-of-detail
// file (a top form of any type but "MESH", its "MESH" container holding the
// levels "0000", "0001", ...) or a single-mesh file (top form "MESH"); plus
// the hardpoints of the FORM "HARD" when that is the top form's second
// sub-form.
#include <cstdint>
#include <string>
#include <vector>

#include "model/ModelLayout.h"
#include "model/T3DObject.h"
#include "model/THardpoint.h"
#include "runtime/Exception.h"

class TIffReader;

QUELBIR_EXCEPTION(EZorvObject);
// A hardpoint whose matrix the file itself cuts short.
QUELBIR_EXCEPTION(EHardpoint);

// Reads one hardpoint from the chunk the reader has open, from its first
// data byte: twelve little-endian floats as three rows of four (a local
// axis, then one coordinate of the position, THardpoint::FileToMatrix), then
// the name up to its zero byte. Elements 3, 7 and 11 become 0 and 15 becomes
// 1 whatever the file holds. The chunk stays open. A chunk too short for the
// matrix, or whose name has no zero byte, raises the reader's read error; a
// chunk whose matrix the file itself cuts short raises EHardpoint.
THardpoint ReadHardpoint(TIffReader& Reader);

// Each hardpoint's local Z axis in red, then the selected ones (indices into
// Hardpoints, ascending) again in yellow, so that a red axis never hides a
// yellow one: a thin line a tenth of Length long and a stub a hundredth as
// long, five pixels thick, at the hardpoint's origin, on the current matrix.
// The line width is 1 afterwards.
void DrawHardpointMarkers(THardpointsView Hardpoints, const std::vector<int32_t>& Selected, float Length);

class TZorvObject : public T3DObject {
public:
  explicit TZorvObject(TDisplayListPolicy Policy = TDisplayListPolicy::Generate);
  // Releases the hardpoints, then everything T3DObject releases.
  ~TZorvObject() override;

  // The model draws its faces (T3DObject::DrawDirect); the hardpoints'
  // markers are drawn by whoever shows them (DrawHardpointMarkers), from the
  // list and the selection it shows.
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

  // The hardpoints the last load found: the number of chunks of its FORM
  // "HARD", read or not.
  int32_t HardpointCount() const { return FHardpointCount; }
  // The hardpoints the last load read, in file order: all of them, or those
  // before the one a failed load stopped at.
  const std::vector<THardpoint>& Hardpoints() const { return FHardpoints; }
  // The hardpoint at Index; nullptr outside 0..HardpointCount - 1 and for an
  // entry a failed load left unread.
  const THardpoint* GetHardpoint(int32_t Index) const;
  THardpoint* GetHardpoint(int32_t Index);
  // Hands the hardpoints read over to a caller that keeps them as its own
  // (the editor's document), leaving the model none.
  std::vector<THardpoint> TakeHardpoints();

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

  int32_t FLOD = 0;
  TModelLevels FLevels;
  std::vector<THardpoint> FHardpoints;  // the first ones of FHardpointCount
  int32_t FHardpointCount = 0;
};
