// quelbir-cli script FILE [--lod N]: the text "Copy Script to Clipboard"
// gives for the file just loaded, CR LF line ends included.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "editor/EditorModel.h"
#include "editor/HardpointScript.h"
#include "model/TZorvObject.h"
#include "runtime/FileLayer.h"

void AddScriptCommand(CLI::App& App) {
  struct TOptions {
    std::string File;
    int LOD = 1;
  };
  auto Options = std::make_shared<TOptions>();
  CLI::App* Cmd =
      App.add_subcommand("script", "Print the hardpoint script the editor copies to the clipboard");
  Cmd->add_option("FILE", Options->File, "model file (.iff)")->required();
  Cmd->add_option("--lod", Options->LOD, "level of detail to load, as the editor loads it (1)");
  Cmd->callback([Options] {
    // Loading needs no OpenGL; the model is never drawn here.
    TZorvObject Model(TDisplayListPolicy::None);
    Model.OpenReadOnly = true;  // inspecting only: read-only files work too
    SetUpEditorModel(Model, Options->File, Options->LOD);
    const std::string Text = HardpointScriptText(Model);
    if (std::fwrite(Text.data(), 1, Text.size(), stdout) != Text.size() || std::fflush(stdout) != 0)
      throw EInOutError("Cannot write the script to standard output");
  });
}
