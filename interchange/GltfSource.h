#pragma once
// The checked JSON of a glTF file and where a ".glb" keeps its binary
// chunk, for the readers of interchange/ that need more of the file than
// its node tree.
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "interchange/GltfDocument.h"

struct TGlbBinary {
  int64_t Offset = -1;  // of the chunk's data in the file; -1 when there is none
  int64_t Length = 0;
};

struct TGltfSource {
  nlohmann::json Json;
  TGlbBinary Binary;
};

// The JSON checked against GltfLimits and parsed, with the ".glb"'s binary
// chunk located but not read. Raises as ReadGltfDocument does.
TGltfSource ReadGltfSource(const std::string& FileName);

// The node tree of that JSON (ReadGltfDocument without the reading).
TGltfDocument GltfDocumentOf(const nlohmann::json& Root, const std::string& FileName);
