#pragma once
// Model files of the project's own, written through TIffWriter: the sample
// spacecraft (three levels of detail, hardpoints, collision sphere) in both
// file shapes, the pieces they are made of for tests that need other shapes,
// and a ".mat" texture writer.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/MeshData.h"
#include "model/ZorvTextures.h"

class TBasicWriter;

// A mesh as plain arrays, to be written as the four mesh chunks.
struct TSampleMesh {
  std::vector<TVector> Vertices;
  std::vector<TVector> Normals;
  std::vector<TFaceVertex> FaceVertices;
  std::vector<TFace> Faces;

  // Appends a flat polygon with its own corner vertices and its normal
  // (from the first three corners); corners are given counter-clockwise as
  // seen from outside. Texture is the material number (10000000 = none).
  void AddPolygon(const std::vector<TVector>& Corners, int32_t Texture = 10000000);
};

// A hardpoint as the file holds it: name and the 4x4 column-major matrix.
struct TSampleHardpoint {
  std::string Name;
  std::array<float, 16> Matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

struct TSampleSphere {
  TVector Center;
  float Value = 0;  // the fourth number of "SPHR"
  bool WithExtn = true;
};

// The four chunks "VERT", "VTNM", "FVRT", "FACE" into the open form.
void WriteMeshChunks(TBasicWriter& Writer, const TSampleMesh& Mesh);
// A FORM "HARD" with one chunk "HARD" per hardpoint (twelve floats in rows,
// then the name and its zero byte).
void WriteHardForm(TBasicWriter& Writer, const std::vector<TSampleHardpoint>& Hardpoints);
// A FORM "COLL" with the 16-byte chunk "SPHR" and, when asked, an empty
// FORM "EXTN".
void WriteCollForm(TBasicWriter& Writer, const TSampleSphere& Sphere);

// A level-of-detail file: FORM "DETA" { FORM "MESH" { FORM "0000" { FORM
// "MESH" { FORM "0012" { chunks } } } ... }, FORM "HARD" (second, when there
// are hardpoints), FORM "COLL" (when WithSphere) }.
void WriteLodModel(const std::string& FileName, const std::vector<TSampleMesh>& Levels,
                   const std::vector<TSampleHardpoint>& Hardpoints, const TSampleSphere* Sphere);
// A single-mesh file: FORM "MESH" { FORM "0012" { chunks }, FORM "HARD",
// FORM "COLL" }.
void WriteSingleMeshModel(const std::string& FileName, const TSampleMesh& Mesh,
                          const std::vector<TSampleHardpoint>& Hardpoints, const TSampleSphere* Sphere);

// The sample spacecraft at level Level (0 most detailed .. 2 coarsest):
// fuselage, wings, fins, in quadrilaterals, nose along +Z.
TSampleMesh SampleCraftMesh(int Level);
std::vector<TSampleHardpoint> SampleCraftHardpoints();  // guns, engines, cockpit
TSampleSphere SampleCraftSphere();                      // encloses every level

// The whole sample (levels 0000..0002, hardpoints, sphere), or with
// SingleMesh the single-mesh variant (level 0 only, hardpoints, sphere), as
// the bytes of its file.
std::vector<uint8_t> SampleModelBytes(bool SingleMesh);
// Either, written complete or not at all (WriteOutputFile): a failure leaves
// whatever file had that name as it was.
void WriteSampleModel(const std::string& FileName);
void WriteSampleSingleMeshModel(const std::string& FileName);

// A ".mat" file: FORM "MATR" { FORM "FRAM" { "INFO" (Width, Height),
// FORM "PAL " { "CMAP" }, "PXLS" } }. Pixels is written as given, whatever
// its length, so tests can write malformed files too.
void WriteMatFile(const std::string& FileName, int32_t Width, int32_t Height, const TPalette& Palette,
                  const std::vector<uint8_t>& Pixels);
