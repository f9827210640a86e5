#pragma once
// Exporting a model file for other 3D tools, shared by `quelbir-cli export`
// and the window. The model file is only read.
#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "model/THardpoint.h"
#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EModelExport);

struct TExportOptions {
  int32_t LOD = 1;          // the level of detail, chosen as `info --lod` chooses it
  bool AllLODs = false;     // every level instead
  std::string TexturesDir;  // where the ".mat" files are; empty: no pictures
  // The window's hardpoints and sphere as shown, written instead of the
  // file's; unset: the file's.
  std::optional<std::vector<THardpoint>> Hardpoints;
  std::optional<std::array<float, 4>> Sphere;
};

// The format follows OutFile's extension, in any letter case: ".glb"
// (binary glTF 2.0), ".gltf" (glTF JSON with its ".bin" and ".png" files
// beside it) or ".obj" (with its ".mtl" and ".png" files beside it).
// Warnings gets one line for each thing left out or changed on the way
// (faces that refer outside the arrays, a missing texture, no sphere...);
// the export still succeeds then. Any other failure raises, with the
// message of the step that failed.
void ExportModel(const std::string& ModelFile, const std::string& OutFile, const TExportOptions& Options,
                 std::ostream& Warnings);
