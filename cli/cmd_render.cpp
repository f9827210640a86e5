// quelbir-cli render FILE -o OUT.png [--view NAME] [--size WxH]
// [--zoom PERCENT] [--lod N] [--sphere] [--names] [--shading MODE] [--textures DIR]:
// the scene the window paints, painted on the headless context into a PNG.
// Textures that could not be drawn are named on standard error.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "editor/Scene.h"
#include "editor/ScenePicture.h"
#include "runtime/NumberFormat.h"

namespace {

// "WxH" with two positive whole numbers.
bool ParseSize(const std::string& Text, int& Width, int& Height) {
  const size_t X = Text.find('x');
  if (X == std::string::npos || X == 0 || X + 1 == Text.size()) return false;
  const std::string W = Text.substr(0, X), H = Text.substr(X + 1);
  for (const std::string* Part : {&W, &H})
    for (char C : *Part)
      if (C < '0' || C > '9') return false;
  if (!TryStrToInt(W, Width) || !TryStrToInt(H, Height)) return false;
  return Width > 0 && Height > 0 && Width <= 16384 && Height <= 16384;
}

}  // namespace

CLI::Validator ViewName(int First) {
  // Said as the short names, the single views first: "top, side, back or 3-views".
  std::vector<std::string> Names;
  for (int I = 1; I < ViewLayoutCount; ++I) Names.push_back(ViewLayoutShortNames[I]);
  if (First == 0) Names.push_back(ViewLayoutShortNames[0]);
  std::string List;
  for (size_t I = 0; I < Names.size(); ++I) List += (I == 0 ? "" : I + 1 == Names.size() ? " or " : ", ") + Names[I];
  return CLI::Validator(
      [First, List](std::string& Text) {
        return FindViewLayoutByName(Text) >= First ? std::string() : "'" + Text + "' is not a view; use " + List;
      },
      "VIEW");
}

void AddShadingOptions(CLI::App& Cmd, std::string& Shading, std::string& TexturesDir, const std::string& Default) {
  Cmd.add_option("--shading", Shading, "display mode: outlines, solid or textured; " + Default)
      ->check(CLI::IsMember({ShadingOptionNames[0], ShadingOptionNames[1], ShadingOptionNames[2]}));
  Cmd.add_option("--textures", TexturesDir, "folder of the .mat files (the model's own folder)");
}

void AddRenderCommand(CLI::App& App) {
  struct TOptions {
    std::string File, Out, View = ViewLayoutNames[0], Size;
    int Zoom = 100;
    int LOD = 1;
    bool Sphere = false;
    bool Names = false;
    std::string Shading = ShadingOptionNames[0], Textures;
  };
  auto Options = std::make_shared<TOptions>();
  CLI::App* Cmd = App.add_subcommand("render", "Paint the editor's views of a model into a PNG");
  Cmd->add_option("FILE", Options->File, "model file (.iff)")->required();
  Cmd->add_option("-o,--output", Options->Out, "PNG file to write")->required();
  Cmd->add_option("--view", Options->View,
                  "\"3-Views\" (default), \"Top View\", \"Side View\" or \"Back View\"; or 3-views, top, side, back "
                  "(any case)")
      ->check(ViewName(0));
  Cmd->add_option("--size", Options->Size,
                  "picture size WxH in pixels (default: the editor window's drawing area, " +
                      std::to_string(EditorClientWidth) + "x" + std::to_string(EditorClientHeight) + ")")
      ->check(CLI::Validator(
          [](std::string& Text) {
            int W = 0, H = 0;
            return ParseSize(Text, W, H) ? std::string() : "expected WxH, e.g. 528x336";
          },
          "WxH"));
  Cmd->add_option("--zoom", Options->Zoom, "zoom in percent, as the Scale box (100)")->check(WholeNumber());
  Cmd->add_option("--lod", Options->LOD, "level of detail to paint (1), as the window's menu picks it")
      ->check(LevelNumber());
  Cmd->add_flag("--sphere", Options->Sphere, "draw the collision sphere (as if \"Hide\" were unticked)");
  Cmd->add_flag("--names", Options->Names,
                "draw each hardpoint's name beside its marker, the first one's in yellow (as \"Show Names\")");
  AddShadingOptions(*Cmd, Options->Shading, Options->Textures, "outlines (default)");
  Cmd->callback(NamingModelFile(Options->File, [Options] {
    TPictureRequest Request;
    Request.ModelFile = Options->File;
    Request.Layout = FindViewLayoutByName(Options->View);
    if (!Options->Size.empty()) ParseSize(Options->Size, Request.Width, Request.Height);
    Request.Scale = ZoomScale(Options->Zoom);
    Request.ShowSphere = Options->Sphere;
    Request.ShowNames = Options->Names;
    Request.Level = Options->LOD;
    Request.Shading = *FindShading(Options->Shading);
    Request.TexturesFolder = Options->Textures;
    Request.Notes = &std::cerr;
    RenderModelPicture(Request, Options->Out);
  }));
}
