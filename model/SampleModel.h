#pragma once
// Model files of the project's own: the sample spacecraft (three levels of
// detail, hardpoints, collision sphere) in both file shapes, written by the
// model writer (model/ModelWriter.h, whose pieces tests use for other
// shapes), and a ".mat" texture writer.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/MeshData.h"
#include "model/ModelWriter.h"
#include "model/ZorvTextures.h"

// The sample is made of the model writer's pieces, under the names the
// tests and tools that build their own shapes know them by.
using TSampleMesh = TModelMesh;
using TSampleHardpoint = THardpoint;
using TSampleSphere = TModelSphere;

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
