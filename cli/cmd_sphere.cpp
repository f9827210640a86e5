// quelbir-cli sphere FILE [--set X Y Z D]: the collision sphere as the
// window's panel reads it, and "&Save" without the window.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "editor/SphereEdits.h"
#include "editor/SphereFile.h"
#include "runtime/FileLayer.h"
#include "runtime/NumberFormat.h"

namespace {

void PrintSphere(const float (&Center)[3], float Diameter) {
  std::string Line = FloatToRoundTrip(Center[0]) + " " + FloatToRoundTrip(Center[1]) + " " +
                     FloatToRoundTrip(Center[2]) + " " + FloatToRoundTrip(Diameter) + "\n";
  if (std::fwrite(Line.data(), 1, Line.size(), stdout) != Line.size() || std::fflush(stdout) != 0)
    throw EInOutError("Cannot write the sphere to standard output");
}

}  // namespace

void AddSphereCommand(CLI::App& App) {
  struct TOptions {
    std::string File;
    std::vector<std::string> Set;
  };
  auto Options = std::make_shared<TOptions>();
  CLI::App* Cmd = App.add_subcommand(
      "sphere", "Print the collision sphere (X Y Z and the \"Diameter:\" value), or set it in place");
  Cmd->add_option("FILE", Options->File, "model file (.iff)")->required();
  Cmd->add_option("--set", Options->Set,
                  "new X Y Z D, written into the file exactly as the editor's Save writes them")
      ->expected(4)
      ->allow_extra_args(false);
  Cmd->callback([Options] {
    float Center[3] = {0, 0, 0};
    float Diameter = 0;
    bool TreePresent = false;
    if (!Options->Set.empty()) {
      // Read as Enter in the sphere's boxes reads them, then saved as Save
      // saves them and read back from the file.
      StoreSphereTexts(Options->Set[0], Options->Set[1], Options->Set[2], Options->Set[3], Center,
                       Diameter);
      WriteSphere(Options->File, Center, Diameter);
      ReadSphere(Options->File, Center, Diameter, TreePresent);
    } else {
      ReadSphere(Options->File, Center, Diameter, TreePresent, /*ReadOnly=*/true);
    }
    PrintSphere(Center, Diameter);
  });
}
