// quelbir-cli import MESH -o NEW.iff [--levels FILE...] [--first-texture N]
// [--textures-out DIR]: a new model file of several levels from a mesh made
// in another 3D tool (.glb, .gltf, .obj). What was left out or decided is
// said on standard error; a refusal writes nothing.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "interchange/MeshImport.h"
#include "runtime/OutputFiles.h"

void AddImportCommand(CLI::App& App) {
  struct TOptions {
    std::string Mesh;
    std::string Out;
    std::vector<std::string> Levels;
    int FirstTexture = 1;
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
  Cmd->add_option("--textures-out", Options->Import.TexturesOut, "folder for the materials' textures (.mat)");
  Cmd->callback([Options, First] {
    Options->Import.LevelFiles = Options->Levels;
    if (First->count() > 0) Options->Import.FirstTexture = Options->FirstTexture;
    std::vector<std::string> Sources{Options->Mesh};
    Sources.insert(Sources.end(), Options->Levels.begin(), Options->Levels.end());
    // The output is checked before the meshes are read: a refusal costs nothing.
    for (const std::string& Source : Sources) CheckNotModelFile(Options->Out, Source);
    const TImportedModel Model = ImportMesh(Options->Mesh, Options->Import, std::cerr);
    WriteImportedModel(Model, Options->Out, Sources);
    std::cerr.flush();
  });
}
