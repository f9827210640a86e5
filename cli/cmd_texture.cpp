// quelbir-cli texture IN.png|IN.jpg -o OUT.mat, or IN.mat -o OUT.png: a
// picture made into a ".mat" texture, or a texture made into a picture. How
// the colours came over goes to standard error.
#include <iostream>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "textures/MatConversion.h"

void AddTextureCommand(CLI::App& App) {
  struct TOptions {
    std::string In, Out;
  };
  auto Options = std::make_shared<TOptions>();
  CLI::App* Cmd = App.add_subcommand("texture", "Make a .mat texture from a PNG or JPEG picture, or a PNG from one");
  Cmd->add_option("IN", Options->In, "picture (.png, .jpg) or texture (.mat)")->required();
  Cmd->add_option("-o,--output", Options->Out, "texture (.mat) or picture (.png) to write")->required();
  Cmd->callback([Options] {
    ConvertTexture(Options->In, Options->Out, std::cerr);
    std::cerr.flush();
  });
}
