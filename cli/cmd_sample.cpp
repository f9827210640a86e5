// quelbir-cli sample OUT [--single] [--textures DIR]: writes the project's own
// sample model, a small spacecraft, as an IFF model file: by default a
// level-of-detail file (levels 0000 to 0002, hardpoints, collision sphere);
// with --single the single-mesh variant (top form MESH, most detailed level
// only); with --textures also the small textures its faces wear, into DIR.
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "model/SampleModel.h"
#include "model/SampleTextures.h"

void AddSampleCommand(CLI::App& App) {
  struct TOptions {
    std::string File;
    bool Single = false;
    std::string Textures;
  };
  auto Options = std::make_shared<TOptions>();
  CLI::App* Cmd = App.add_subcommand("sample", "Write the sample model (a small spacecraft) to a file");
  Cmd->add_option("OUT", Options->File, "model file to create (.iff); an existing one is replaced")->required();
  Cmd->add_flag("--single", Options->Single, "write the single-mesh variant (top form MESH)");
  Cmd->add_option("--textures", Options->Textures, "also write the sample's textures (.mat) into this folder");
  Cmd->callback([Options] {
    if (!Options->Textures.empty())
      WriteSampleModelWithTextures(Options->File, Options->Textures, Options->Single);
    else if (Options->Single)
      WriteSampleSingleMeshModel(Options->File);
    else
      WriteSampleModel(Options->File);
  });
}
