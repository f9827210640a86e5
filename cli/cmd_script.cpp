// quelbir-cli script FILE [--lod N]: the text "Copy Script to Clipboard"
// gives for the file just loaded, CR LF line ends included.
// quelbir-cli script [FILE] --from-gltf IN.glb|IN.gltf: the same text for
// the hardpoints of a glTF file, as `export` wrote them or another tool
// moved them; with FILE, the model's hardpoints brought up to date from it,
// each change said on standard error.
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "editor/HardpointScript.h"
#include "interchange/GltfHardpoints.h"
#include "interchange/HardpointMatch.h"
#include "model/EditorModel.h"
#include "model/HardpointName.h"
#include "model/TZorvObject.h"
#include "runtime/FileLayer.h"
#include "runtime/Latin1Text.h"

void AddScriptCommand(CLI::App& App) {
  struct TOptions {
    std::string File;
    int LOD = 1;
    std::string FromGltf;
  };
  auto Options = std::make_shared<TOptions>();
  CLI::App* Cmd = App.add_subcommand("script", "Print the hardpoint script the editor copies to the clipboard");
  CLI::Option* File = Cmd->add_option("FILE", Options->File, "model file (.iff)");
  CLI::Option* Lod = Cmd->add_option("--lod", Options->LOD, "level of detail to load, as the editor loads it (1)")
                         ->check(LevelNumber());
  CLI::Option* FromGltf =
      Cmd->add_option("--from-gltf", Options->FromGltf,
                      "read the hardpoints from a glTF file (.glb, .gltf) instead; with FILE, the model's "
                      "hardpoints as the glTF has moved, added or left out");
  FromGltf->excludes(Lod);
  File->required(false);
  Cmd->callback([Options, File, FromGltf] {
    if (File->count() == 0 && FromGltf->count() == 0) throw CLI::RequiredError("FILE or --from-gltf");
    std::string Text;
    // Loading needs no OpenGL; the model is never drawn here.
    TZorvObject Model(TDisplayListPolicy::None);
    Model.OpenReadOnly = true;  // inspecting only: read-only files work too
    if (File->count() > 0) SetUpEditorModel(Model, Options->File, Options->LOD);
    std::ostringstream Changes;
    if (FromGltf->count() > 0) {
      std::vector<THardpoint> Hardpoints;
      if (File->count() > 0) {
        const TGltfDocument Document = ReadGltfDocument(Options->FromGltf);
        const std::string ModelName = Options->File.substr(Options->File.find_last_of('/') + 1);
        const int Root = GltfHardpointRoot(Document, Options->FromGltf, ModelName);
        std::vector<const THardpoint*> Listed;
        for (int32_t I = 0; I < Model.HardpointCount(); ++I) Listed.push_back(Model.GetHardpoint(I));
        Hardpoints = MatchGltfHardpoints(Listed, FindGltfHardpoints(Document, Root, Options->FromGltf),
                                         Options->FromGltf, Changes);
      } else {
        Hardpoints = ReadGltfHardpoints(Options->FromGltf, Changes);
      }
      std::vector<const THardpoint*> List;
      for (const THardpoint& Hardpoint : Hardpoints) List.push_back(&Hardpoint);
      Text = HardpointScriptText(List);
    } else {
      Text = HardpointScriptText(Model);
    }
    std::cerr << Changes.str() << std::flush;
    if (std::fwrite(Text.data(), 1, Text.size(), stdout) != Text.size() || std::fflush(stdout) != 0)
      throw EInOutError("Cannot write the script to standard output");
  });
}
