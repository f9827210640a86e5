#pragma once
// One level's mesh: whether the loader finds and reads its chunks, records
// cut short, a level without faces, vertices and normals that are not finite,
// normals that are not of unit length.
#include <cstdint>
#include <optional>

#include "check/FileFindings.h"
#include "check/LevelCheck.h"

class TIffReader;

// Where the chunks of a mesh the loader read whole begin in the file.
struct TMeshPlaces {
  int64_t Vertices = 0;  // "VERT"
  int64_t Faces = 0;     // "FACE"
};

// The mesh of the level Loaded read, walked to through Reader as the loader
// walks to it; FileSize is the file's length. The places of its chunks when
// the loader read the mesh whole, for the examination of its faces; none
// when a missing or unreadable part is the level's finding.
std::optional<TMeshPlaces> CheckLevelMesh(TIffReader& Reader, int64_t FileSize, const TLoad& Loaded,
                                          TFindings& Findings);
