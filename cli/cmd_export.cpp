// quelbir-cli export FILE -o OUT [--lod N | --all-lods] [--textures DIR]:
// the model for other 3D tools, as glTF 2.0 (.glb, .gltf) or OBJ (.obj),
// chosen by OUT's extension. The model file is only read. What the export
// leaves out or changes is said on standard error; it still succeeds.
#include <iostream>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "interchange/ModelExport.h"

void AddExportCommand(CLI::App& App) {
  struct TOptions {
    std::string File;
    std::string Out;
    TExportOptions Export;
  };
  auto Options = std::make_shared<TOptions>();
  CLI::App* Cmd = App.add_subcommand("export", "Export a model as glTF 2.0 (.glb, .gltf) or OBJ (.obj)");
  Cmd->add_option("FILE", Options->File, "model file (.iff)")->required();
  Cmd->add_option("-o,--output", Options->Out, "output file: .glb, .gltf or .obj")->required();
  CLI::Option* Lod =
      Cmd->add_option("--lod", Options->Export.LOD, "level of detail to export (1)")->check(LevelNumber());
  Cmd->add_flag("--all-lods", Options->Export.AllLODs, "export every level of detail")->excludes(Lod);
  Cmd->add_option("--textures", Options->Export.TexturesDir, "folder of the .mat files, to embed the textures");
  Cmd->callback(NamingModelFile(Options->File, [Options] {
    ExportModel(Options->File, Options->Out, Options->Export, std::cerr);
    std::cerr.flush();
  }));
}
