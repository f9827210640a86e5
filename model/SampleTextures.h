#pragma once
// The sample spacecraft's material textures: which texture each face of the
// sample wears (by the side it faces), small ".mat" files for them, and the
// sample written together with its textures for `quelbir-cli sample
// --textures`, so that a new user sees the Textured mode at once.
#include <cstdint>
#include <string>
#include <vector>

#include "model/SampleModel.h"

// The sample's texture numbers: hull plates above (+Y), the underside (-Y),
// the flanks (+X and -X), the ends (+Z and -Z).
constexpr int32_t SampleTopTexture = 1;
constexpr int32_t SampleUndersideTexture = 2;
constexpr int32_t SampleFlankTexture = 3;
constexpr int32_t SampleEndTexture = 4;

// Gives every face the texture of the side its normal points to most.
void AssignSampleTextures(TSampleMesh& Mesh);

// The bytes of a ".mat" file: FORM "MATR" { FORM "FRAM" { "INFO" (Width,
// Height), FORM "PAL " { "CMAP" }, "PXLS" } }. Pixels is written as given,
// whatever its length, so tests can compose malformed files too.
std::vector<uint8_t> MatFileBytes(int32_t Width, int32_t Height, const TPalette& Palette,
                                  const std::vector<uint8_t>& Pixels);

// The ".mat" file of one of the sample's textures: 16 x 16 pixels of panels.
std::vector<uint8_t> SampleTextureBytes(int32_t Number);

// The sample (the single-mesh variant with SingleMesh) in ModelFile and its
// textures in Folder, created when missing; all the files are written
// complete together, or none is.
void WriteSampleModelWithTextures(const std::string& ModelFile, const std::string& Folder, bool SingleMesh);
