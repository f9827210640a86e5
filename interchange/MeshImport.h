#pragma once
// A new model made from meshes of another 3D tool (glTF ".glb"/".gltf" or
// ".obj"): its levels of detail, hardpoints and collision sphere, read
// whole before anything is written, then written as a model file of
// several levels.
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "interchange/MeshBuilder.h"
#include "model/ModelWriter.h"

struct TImportOptions {
  std::vector<std::string> LevelFiles;  // one further level each, in order
  std::optional<int32_t> FirstTexture;  // the first number for materials not named by number
  std::string TexturesOut;              // a folder for the materials' pictures; empty: none
};

// A material's picture and the texture number it is written as.
struct TTexturePicture {
  int32_t Number = 0;
  TMaterialPicture Picture;
};

struct TImportedModel {
  std::vector<TModelMesh> Levels;  // most detailed first
  std::vector<THardpoint> Hardpoints;
  TSphereValues Sphere{0, 0, 0, 0};
  std::string TexturesOut;                // the folder of the pictures' textures
  std::vector<TTexturePicture> Pictures;  // each one texture, to be made into TexturesOut
  std::vector<std::string> Inputs;        // further files read beside the meshes (material libraries)
};

// Whether FileName names a mesh ImportMesh reads (by its ending: ".glb",
// ".gltf", ".obj", case ignored).
bool IsMeshFileName(const std::string& FileName);

// Reads MeshFile and the level files into a model. Notes gets what was left
// out or decided (points and lines, renamed hardpoints, a fitted sphere,
// each material's texture number, and with Options.TexturesOut each
// material that has no picture). Raises EMeshImport (and the glTF
// reader's EGltfHardpoints) naming what and where when a file is no mesh of
// these kinds, holds no face, a number that is not finite, an index outside
// its array or more than the model file's counts hold, or needs more memory
// than is left.
TImportedModel ImportMesh(const std::string& MeshFile, const TImportOptions& Options, std::ostream& Notes);

// The smallest sphere enclosing every level's faces, as the window's Fit
// Sphere to Model computes it (the fourth value the radius).
TSphereValues FittedSphere(const std::vector<TModelMesh>& Levels);

// Model written as the level-of-detail file Output, and each of its pictures
// as the ".mat" texture of its number in Model.TexturesOut (the folder made
// when missing), all of them or none: a picture that cannot be read or
// converted (EPictureFile, EMatConversion) writes nothing. No output may be
// another, nor any file read (Sources, the files the model came from, its
// pictures and material libraries). Once all are in place, Notes gets how
// each picture's colours came over.
void WriteImportedModel(const TImportedModel& Model, const std::string& Output, const std::vector<std::string>& Sources,
                        std::ostream& Notes);
