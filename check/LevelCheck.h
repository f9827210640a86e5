#pragma once
// The levels of a file: which ones the check examines, the level forms the
// loader never loads, and the loader run at each level examined.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "check/FileFindings.h"
#include "model/TZorvObject.h"

class TIffReader;

// A level to examine: the level of detail asked of the loader, and the
// level tag it names.
struct TPlannedLevel {
  int32_t Lod = 0;
  std::optional<std::string> Level;
};

// The levels to examine, each as the level of detail asked of the loader and
// the level tag it will name (none in a single-mesh file, or where the level
// container is missing); never empty. Adds a finding for every level form
// the loader never loads.
std::vector<TPlannedLevel> PlanLevels(const TIffReader& Reader, const TCheckOptions& Options, TFindings& Findings);

// One run of the loader: the model as far as it was read, the level tag it
// read (the planned one where it did not get far enough to name one), and
// its message when it failed.
struct TLoad {
  std::unique_ptr<TZorvObject> Model;
  std::optional<std::string> Level;
  bool Failed = false;
  std::string Failure;
};

// The loader run at one planned level, read-only and without OpenGL: the
// whole model from the file (Whole), or the level's mesh alone through
// Reader, already open on the file, so that a file of many levels is not
// indexed again for each.
TLoad LoadPlannedLevel(TIffReader& Reader, const TPlannedLevel& Planned, bool Whole);
