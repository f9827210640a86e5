#pragma once
// The faces of meshes made in another 3D tool, gathered into the arrays of
// one level of a model file: identical positions and identical normals
// shared, one flat unit normal per face, the corners stored as the model
// file stores them, and materials numbered as textures once every file has
// been read.
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/ModelWriter.h"
#include "runtime/Exception.h"

// What an imported mesh holds that a model file cannot carry, or that is no
// mesh at all: "Import: " + what and where.
QUELBIR_EXCEPTION(EMeshImport);

// The texture number of a face that wears no texture.
constexpr int32_t UntexturedTexture = 10000000;

// One corner of a source polygon, in the model's axes.
struct TSourceCorner {
  TVector Position;
  float S = 0;
  float T = 0;
  std::optional<TVector> Normal;  // the source's own normal at the corner, when it gives one
};

// The positions or normals of a mesh with an index for finding one of them
// by its exact bits (so 0 and -0 stay apart), in time linear in the mesh.
class TVectorTable {
public:
  explicit TVectorTable(std::vector<TVector>& Vectors) : FVectors(Vectors) {}
  // The index of V, added when it is not there yet.
  int32_t FindOrAdd(const TVector& V);

private:
  void Grow();
  std::vector<TVector>& FVectors;
  std::vector<int32_t> FSlots;  // open addressing, -1 free; a power of two in size
};

// One level's mesh as faces come in. The texture number of each face is
// at first the slot of its material (TImportMaterials), -1 without one, and
// is turned into the real number by Number.
class TMeshBuilder {
public:
  TMeshBuilder() : FVertices(FMesh.Vertices), FNormals(FMesh.Normals) {}
  TMeshBuilder(const TMeshBuilder&) = delete;
  TMeshBuilder& operator=(const TMeshBuilder&) = delete;

  // A polygon of Corners.size() >= 3 corners, given counter-clockwise as
  // seen from its front. Its normal is its own plane's; a face whose
  // corners lie on a line takes the mean of the source's normals instead,
  // and is refused without them, Where() naming the mesh, face and corners.
  void AddPolygon(std::span<const TSourceCorner> Corners, int32_t MaterialSlot,
                  const std::function<std::string()>& Where);
  // The level as the export of this program kept it, taken as it is (the
  // texture numbers already real).
  void SetExact(TModelMesh Mesh);
  bool Empty() const { return FMesh.Faces.empty(); }
  // Turns material slots into texture numbers (Numbers[slot]; -1 is
  // untextured) and gives the mesh away.
  TModelMesh Number(const std::vector<int32_t>& Numbers);

private:
  TModelMesh FMesh;
  TVectorTable FVertices, FNormals;
  bool FExact = false;
};

// A material's base colour picture: a file, or the bytes the mesh file
// carries inside.
struct TMaterialPicture {
  std::string File;            // empty when Bytes hold the picture
  std::vector<uint8_t> Bytes;  // the picture itself, when the mesh file holds it
  std::string Name;            // how messages name it: the file, or the mesh file and its image
  // OBJ counts its texture coordinates from the picture's bottom row, and
  // the texture's from its first: such a picture is turned upside down.
  bool UpsideDown = false;
};

// The materials of an import, each once by name, and their texture numbers.
class TImportMaterials {
public:
  // The slot of the material named Name (UTF-8).
  int32_t Slot(const std::string& Name);
  // The slots' names, in slot order.
  const std::vector<std::string>& Names() const { return FNames; }

  // Whether the readers look for the materials' pictures: only an import
  // that writes textures pays for them.
  bool WantsPictures = false;
  // Whether Slot has its picture already: a name used by several materials
  // takes the first picture met.
  bool HasPicture(int32_t Slot) const { return FPictures.count(Slot) > 0; }
  void SetPicture(int32_t Slot, TMaterialPicture Picture) { FPictures.try_emplace(Slot, std::move(Picture)); }
  // Slot's picture; none for a material that has none.
  const TMaterialPicture* Picture(int32_t Slot) const;
  // The material libraries read for the pictures (files an output must not be).
  std::vector<std::string> Libraries;
  // The texture numbers of the slots: a name of eight digits keeps its
  // number; every other name takes the next number from First (by default
  // 1 above the largest eight-digit number below the untextured one) that
  // no name of eight digits holds. Notes gets one line per material.
  std::vector<int32_t> Number(std::optional<int32_t> First, std::ostream& Notes) const;

private:
  std::vector<std::string> FNames;
  std::unordered_map<std::string, int32_t> FSlots;
  std::unordered_map<int32_t, TMaterialPicture> FPictures;
};

// The file a mesh file names by the relative path Relative (folders apart by
// "/" or "\\"), in the folder of MeshFile or below it. None for a path that
// would lead elsewhere: empty, absolute, with a drive or scheme (":"), or
// through "..". A mesh from elsewhere must not make the program read
// whatever it names.
std::optional<std::string> FileBelowMesh(const std::string& MeshFile, const std::string& Relative);

// The level a node or mesh name gives: a trailing "LOD" with its number
// ("_LOD0", ".lod1", "-Lod2", "LOD3", case ignored) or the export's own
// level name of four digits ("0000"); none for any other name.
std::optional<int64_t> LevelNumberInName(const std::string& Name);
