// quelbir-cli thumbnail FILE -o OUT.png [--size N] [--view NAME]
// [--shading MODE] [--textures DIR]: a square picture of one view with the
// model centred and filling it, for file managers' thumbnails; Solid unless
// the model's textures lie beside it. A file that does not load leaves no
// picture behind.
#include <iostream>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "editor/ModelThumbnail.h"
#include "editor/Scene.h"

void AddThumbnailCommand(CLI::App& App) {
  auto Request = std::make_shared<TThumbnailRequest>();
  auto Out = std::make_shared<std::string>();
  auto View = std::make_shared<std::string>(ViewLayoutNames[DefaultThumbnailLayout]);
  CLI::App* Cmd = App.add_subcommand("thumbnail", "Paint a square thumbnail of one view of a model into a PNG");
  Cmd->add_option("FILE", Request->ModelFile, "model file (.iff)")->required();
  Cmd->add_option("-o,--output", *Out, "PNG file to write")->required();
  Cmd->add_option("-s,--size", Request->Width, "side of the square in pixels (256)")
      ->check(WholeNumber(1, MaxThumbnailSize));
  Cmd->add_option("--view", *View,
                  "\"Top View\" (default), \"Side View\" or \"Back View\"; or top, side, back (any case)")
      ->check(ViewName(1));
  auto Shading = std::make_shared<std::string>();
  AddShadingOptions(*Cmd, *Shading, Request->TexturesFolder,
                    "solid, or textured when the textures folder holds the model's textures (default)");
  Cmd->callback(NamingModelFile(Request->ModelFile, [Request, Out, View, Shading] {
    Request->Layout = FindViewLayoutByName(*View);
    Request->Height = Request->Width;
    if (!Shading->empty()) {
      Request->Shading = *FindShading(*Shading);
      Request->ShadingChosen = true;
    }
    Request->Notes = &std::cerr;
    WriteModelThumbnail(*Request, *Out);
  }));
}
