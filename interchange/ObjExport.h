#pragma once
// A model as Wavefront OBJ with its ".mtl" beside it: the file's vertices,
// one texture coordinate per face-vertex, the file's normals, the faces as
// polygons in drawing order under one "usemtl" per texture number, and the
// hardpoints and the sphere as comment lines (OBJ has no nodes).
#include <cstdint>
#include <map>
#include <string>

#include "interchange/ExportedModel.h"
#include "interchange/ExportedTextures.h"

// Writes OutFile, the ".mtl" of the same name beside it and, for the
// textures in Images, their PNGs there too. The texture coordinates are
// written as stored; as OBJ's v runs up the picture, the PNG holds the
// first "PXLS" row at the bottom, where t = 0 shows it. Each file is
// complete or not at all, and none of them ModelFile (runtime/OutputFiles.h).
void WriteObj(const TExportedModel& Model, const std::map<int32_t, TTextureImage>& Images, const std::string& OutFile,
              const std::string& ModelFile = "");
