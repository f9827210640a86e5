#pragma once
// The model library's writer of model files, the one home of their shape on
// the writing side: the mesh chunks, FORM "HARD" and FORM "COLL" as the
// loader and the sphere's reader read them, whole files in both shapes, and
// a new model file made from an existing one with other hardpoints and
// sphere. Every file is written complete or not at all (runtime/OutputFiles).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/MeshData.h"
#include "model/THardpoint.h"
#include "runtime/Exception.h"

class TBasicWriter;
class TIffReader;

// A model file that cannot be made from its source: what the source lacks
// or holds that the new file cannot carry.
QUELBIR_EXCEPTION(EModelWriter);

// A mesh as plain arrays, to be written as the four mesh chunks.
struct TModelMesh {
  std::vector<TVector> Vertices;
  std::vector<TVector> Normals;
  std::vector<TFaceVertex> FaceVertices;
  std::vector<TFace> Faces;

  // Appends a flat polygon with its own corner vertices and its normal
  // (from the first three corners); corners are given counter-clockwise as
  // seen from outside. Texture is the material number (10000000 = none).
  void AddPolygon(const std::vector<TVector>& Corners, int32_t Texture = 10000000);
};

struct TModelSphere {
  TVector Center;
  float Value = 0;  // the fourth number of "SPHR"
  bool WithExtn = true;
};

// The four chunks "VERT", "VTNM", "FVRT", "FACE" into the open form.
void WriteMeshChunks(TBasicWriter& Writer, const TModelMesh& Mesh);
// A FORM "HARD" with one chunk "HARD" per hardpoint: the twelve values of
// its matrix the loader reads (THardpoint::FileToMatrix), bit for bit, in
// rows, then the name and its zero byte. A name holding a zero byte, which
// would not read back, raises EModelWriter before anything is written.
void WriteHardForm(TBasicWriter& Writer, const std::vector<THardpoint>& Hardpoints);
// A FORM "COLL" with the 16-byte chunk "SPHR" and, when asked, an empty
// FORM "EXTN".
void WriteCollForm(TBasicWriter& Writer, const TModelSphere& Sphere);

// A level-of-detail file: FORM "DETA" { FORM "MESH" { FORM "0000" { FORM
// "MESH" { FORM "0012" { chunks } } } ... }, FORM "HARD" (second, when there
// are hardpoints), FORM "COLL" (when Sphere is given) }, as its bytes.
std::vector<uint8_t> LodModelBytes(const std::vector<TModelMesh>& Levels, const std::vector<THardpoint>& Hardpoints,
                                   const TModelSphere* Sphere);
// A single-mesh file: FORM "MESH" { FORM "0012" { chunks }, FORM "HARD",
// FORM "COLL" }, as its bytes.
std::vector<uint8_t> SingleMeshModelBytes(const TModelMesh& Mesh, const std::vector<THardpoint>& Hardpoints,
                                          const TModelSphere* Sphere);
// Either, as the file FileName, complete or not at all.
void WriteLodModel(const std::string& FileName, const std::vector<TModelMesh>& Levels,
                   const std::vector<THardpoint>& Hardpoints, const TModelSphere* Sphere);
void WriteSingleMeshModel(const std::string& FileName, const TModelMesh& Mesh,
                          const std::vector<THardpoint>& Hardpoints, const TModelSphere* Sphere);

// The sixteen bytes of "SPHR" as four floats: centre X, Y, Z and the
// "Diameter:" value, copied bit for bit.
using TSphereValues = std::array<float, 4>;

// The bytes of a new model file made from SourceFile: every byte of the
// source as it is, except that the FORM "HARD" the loader reads
// (HardpointForm) holds Hardpoints, in their order; that the sixteen sphere
// bytes hold Sphere, when given; and that the top form's size matches. A
// source without that FORM "HARD" gets one where the loader looks for it,
// as the top form's second sub-form. The source is only read. Its reader's
// errors pass unchanged ("TIffReader: Form (COLL) doesn't exist!" when a
// sphere is given and it has none); EModelWriter says what else stops it
// (no place for the form, a file that would pass the format's 2 GiB, a
// source changed while it was read).
std::vector<uint8_t> ModelFileWithHardpoints(const std::string& SourceFile, const std::vector<THardpoint>& Hardpoints,
                                             const TSphereValues* Sphere);

// Every byte of the file Reader indexed, read through the reader's own file
// name; a file that is not the one indexed by then (replaced, or changed in
// size or time) raises EModelWriter, so the index fits the bytes.
std::vector<uint8_t> BytesOfIndexedFile(const TIffReader& Reader);

// That file written as Output, complete or not at all: a failure (a full
// disk included) leaves whatever file had that name as it was. Output must
// not be SourceFile by any name (CheckNotModelFile), nor a folder, pipe or
// device; both are checked before anything is read.
void WriteModelFileWithHardpoints(const std::string& SourceFile, const std::string& Output,
                                  const std::vector<THardpoint>& Hardpoints, const TSphereValues* Sphere);
