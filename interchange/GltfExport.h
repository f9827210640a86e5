#pragma once
// A model as glTF 2.0: a root node named after the file; under it one node
// per exported level with its mesh (triangle fans in drawing order, flat
// normals, one primitive per texture number), one node per hardpoint, each
// holding a slim spike along its direction, and the collision sphere
// "COLL SPHR" holding a wire sphere of the drawn radius (spike and wire
// marked as helpers). Numbers are written so that each reads back to the
// same 32-bit float.
#include <cstdint>
#include <map>
#include <ostream>
#include <string>

#include "interchange/ExportedModel.h"
#include "interchange/ExportedTextures.h"
#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EGltfExport);

// The keys of the node extras that mark what the nodes are, read back by
// ReadGltfDocument.
namespace GltfMarks {
constexpr const char* Hardpoint = "hardpoint";               // the hardpoint's index in the model's list
constexpr const char* Matrix = "matrix";                     // its exact sixteen numbers, when not rigid
constexpr const char* Latin1Name = "latin1_name";            // true: the name was 8-bit text
constexpr const char* CollisionSphere = "collision_sphere";  // true on "COLL SPHR"
constexpr const char* OriginalName = "name";                 // the hardpoint's name as the model has it
constexpr const char* Helper = "helper";                     // true: drawn for the eye, never a hardpoint
// On a level's mesh: the numbers of the four buffer views holding the
// level's "VERT", "VTNM", "FVRT" and "FACE" records as the file has them.
constexpr const char* MeshChunks = "mesh_chunks";
}  // namespace GltfMarks

enum class TGltfForm {
  Binary,  // ".glb": everything in one file
  Json,    // ".gltf": the JSON, with the buffer (".bin") and the images (".png") beside it
};

// Writes OutFile (and, for Json, its companions in the same folder), each
// complete or not at all, and none of them ModelFile (runtime/OutputFiles.h).
// Images holds the pictures of the textures that could be read; the other
// texture numbers get a material without image. What cannot be written
// faithfully (a non-unit normal, a transform that is not finite) is said on
// Warnings.
void WriteGltf(const TExportedModel& Model, const std::map<int32_t, TTextureImage>& Images, const std::string& OutFile,
               TGltfForm Form, std::ostream& Warnings, const std::string& ModelFile = "");
