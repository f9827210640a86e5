// quelbir-cli import MESH -o NEW.iff [--levels FILE...] [--first-texture N]
// [--textures-out DIR] [--make-levels N [--ratio R]]: a new model file of
// several levels from a mesh made in another 3D tool (.glb, .gltf, .obj),
// with the materials' pictures as textures and levels of detail made from a
// mesh of one level. What was left out or decided is said on standard
// error, the table of levels made on standard output once the file is
// written; a refusal writes nothing.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "interchange/MeshImport.h"
#include "levels/LevelMaking.h"
#include "levels/LevelTable.h"
#include "runtime/FileLayer.h"
#include "runtime/OutputFiles.h"

void AddImportCommand(CLI::App& App) {
  struct TOptions {
    std::string Mesh;
    std::string Out;
    std::vector<std::string> Levels;
    int FirstTexture = 1;
    int MakeLevels = 0;
    double Ratio = 0.5;
    TImportOptions Import;
  };
  auto Options = std::make_shared<TOptions>();
  CLI::App* Cmd = App.add_subcommand("import", "Make a new model file from a glTF (.glb, .gltf) or OBJ (.obj) mesh");
  Cmd->add_option("MESH", Options->Mesh, "mesh file: .glb, .gltf or .obj")->required();
  Cmd->add_option("-o,--output", Options->Out, "the new model file (.iff)")->required();
  Cmd->add_option("--levels", Options->Levels, "one further level of detail per file, in order");
  CLI::Option* First = Cmd->add_option("--first-texture", Options->FirstTexture,
                                       "texture number of the first material not named by number "
                                       "(1 above the largest number used)")
                           ->check(WholeNumber(0, 99999999));
  Cmd->add_option("--textures-out", Options->Import.TexturesOut,
                  "folder for the materials' base colour pictures as textures (.mat)");
  CLI::Option* Make =
      Cmd->add_option("--make-levels", Options->MakeLevels, "levels in all, made from a mesh of one level")
          ->check(WholeNumber(1, MaxLevelCount));
  Cmd->add_option("--ratio", Options->Ratio, "each made level's faces over the level before's (0.5)")
      ->check(RatioNumber())
      ->needs(Make);
  Cmd->callback([Options, First, Make] {
    const bool Making = Make->count() > 0;
    // Levels are made from the mesh's one level or given by files, never
    // both: refused before anything is read.
    if (Making && !Options->Levels.empty())
      throw EMeshImport(
          "Import: --make-levels makes the levels from the mesh's one level; "
          "--levels gives them from files: use one or the other");
    Options->Import.LevelFiles = Options->Levels;
    if (First->count() > 0) Options->Import.FirstTexture = Options->FirstTexture;
    std::vector<std::string> Sources{Options->Mesh};
    Sources.insert(Sources.end(), Options->Levels.begin(), Options->Levels.end());
    // The output is checked before the meshes are read: a refusal costs nothing.
    for (const std::string& Source : Sources) CheckNotModelFile(Options->Out, Source);
    TImportedModel Model = ImportMesh(Options->Mesh, Options->Import, std::cerr);
    std::vector<TMadeLevel> Made;
    if (Making) {
      if (Model.Levels.size() != 1)
        throw EMeshImport("Import: --make-levels makes levels from a mesh of one level; " + Options->Mesh + " has " +
                          std::to_string(Model.Levels.size()));
      TLevelOptions Levels;
      Levels.Levels = Options->MakeLevels;
      Levels.Ratio = Options->Ratio;
      Made = MakeLevels(Model.Levels.front(), Levels);
      for (const TMadeLevel& Level : Made) Model.Levels.push_back(Level.Mesh);
    }
    WriteImportedModel(Model, Options->Out, Sources, std::cerr);
    std::cerr.flush();
    if (Making) {
      std::cout << LevelTable(int64_t(Model.Levels.front().Faces.size()), Made);
      if (!std::cout.flush()) throw EInOutError("Cannot write the table of levels to standard output");
    }
  });
}
