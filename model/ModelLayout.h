#pragma once
// Where the loader finds the parts of a model file, as functions that every
// other reader of model files asks instead of repeating: the level a level
// of detail loads, how many different levels the level numbers reach, the
// FORM "HARD" whose hardpoints are read, and the mesh chunks with the size
// of their records. The loader itself goes by these.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TForm;

// The levels of detail of a level-of-detail file as the loader named them
// at its last load: every level tag of the container in file order, and the
// one it read. Both empty for a single-mesh file; a load of one level
// through an open reader (TZorvObject::LoadLevel) names the one it read only.
struct TModelLevels {
  std::vector<std::string> Tags;  // "0000", "0001", ...
  std::string Loaded;
  // Level-of-detail numbers count the container's forms, so the level shown
  // is the index of its tag (-1 when none is).
  int LoadedIndex() const;
};

// The tag of the level form the loader reads for level of detail Lod in a
// container of Levels forms: Lod clamped to 0 .. Levels - 1, at least four
// digits with the sign in front of them, cut to four characters. An empty
// container gives "-000", which names no level.
std::string LevelTag(int32_t Lod, int32_t Levels);

// How many different levels the level numbers reach in a container of Count
// level forms: a number past 9999 is written with five digits or more, and
// its first four, the tag loaded, name a level a smaller number reaches.
int32_t DistinctLevelCount(int32_t Count);

// The FORM "HARD" whose hardpoints the loader reads from the top form Top:
// the first FORM "HARD" among Top's sub-forms, when Top's second sub-form
// is one; nullptr when it is not (the model then has no hardpoints).
const TForm* HardpointForm(const TForm& Top);

// One mesh chunk of a level: its tag and the size of one of its records,
// taken from the record type the loader reads it into.
struct TMeshChunkKind {
  const char* Tag;
  int32_t RecordSize;
};

// The four mesh chunks in the order the loader reads them: "VERT", "VTNM",
// "FVRT", "FACE".
const std::array<TMeshChunkKind, 4>& MeshChunkKinds();
