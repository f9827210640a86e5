// quelbir-cli sphere FILE [--set X Y Z D | --fit [--lod N] [--write] |
// --from-gltf EDITED [--write]]: the collision sphere as the window's panel
// reads it, "&Save" without the window, the sphere fitted to the model, and
// the sphere as an artist moved or scaled it in the exported glTF.
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "editor/SphereEdits.h"
#include "editor/SphereFit.h"
#include "interchange/GltfSphere.h"
#include "model/SphereFile.h"
#include "runtime/FileLayer.h"
#include "runtime/NumberFormat.h"

namespace {

void PrintSphere(const float (&Center)[3], float Diameter) {
  std::string Line = FloatToRoundTrip(Center[0]) + " " + FloatToRoundTrip(Center[1]) + " " +
                     FloatToRoundTrip(Center[2]) + " " + FloatToRoundTrip(Diameter) + "\n";
  if (std::fwrite(Line.data(), 1, Line.size(), stdout) != Line.size() || std::fflush(stdout) != 0)
    throw EInOutError("Cannot write the sphere to standard output");
}

// "&Save" and the load after it: the four values into the file in place,
// then read back from it into Center and Diameter.
void SaveAndReadBack(const std::string& File, float (&Center)[3], float& Diameter,
                     const TFileIdentity* Fitted = nullptr) {
  bool TreePresent = false;
  WriteSphere(File, Center, Diameter, Fitted);
  ReadSphere(File, Center, Diameter, TreePresent);
}

}  // namespace

void AddSphereCommand(CLI::App& App) {
  struct TOptions {
    std::string File;
    std::vector<std::string> Set;
    bool Fit = false, Write = false;
    int LOD = 0;
    std::string FromGltf;
  };
  auto Options = std::make_shared<TOptions>();
  CLI::App* Cmd = App.add_subcommand(
      "sphere", "Print the collision sphere (X Y Z and the \"Diameter:\" value), or set it in place");
  Cmd->add_option("FILE", Options->File, "model file (.iff)")->required();
  Cmd->add_option("--set", Options->Set, "new X Y Z D, written into the file exactly as the editor's Save writes them")
      ->expected(4)
      ->allow_extra_args(false);
  CLI::Option* Fit =
      Cmd->add_flag("--fit", Options->Fit,
                    "print the smallest sphere that encloses the vertices the faces use (every level unless --lod)");
  Fit->excludes("--set");
  CLI::Option* Lod =
      Cmd->add_option("--lod", Options->LOD, "fit the one level N, as the loader chooses it")->check(LevelNumber());
  Lod->needs(Fit);
  CLI::Option* FromGltf = Cmd->add_option("--from-gltf", Options->FromGltf,
                                          "print the sphere of a glTF file the export wrote, as another tool left it");
  FromGltf->excludes("--set")->excludes(Fit);
  CLI::Option* Write =
      Cmd->add_flag("--write", Options->Write, "write the fitted or read sphere into the file, as --set does");
  Cmd->callback(NamingModelFile(Options->File, [Options, Lod, Fit, FromGltf, Write] {
    if (Write->count() > 0 && Fit->count() == 0 && FromGltf->count() == 0)
      throw CLI::ValidationError("--write", "needs --fit or --from-gltf");
    float Center[3] = {0, 0, 0};
    float Diameter = 0;
    bool TreePresent = false;
    if (!Options->Set.empty()) {
      // Read as Enter in the sphere's boxes reads them, then saved as Save
      // saves them and read back from the file.
      StoreSphereTexts(Options->Set[0], Options->Set[1], Options->Set[2], Options->Set[3], Center, Diameter);
      SaveAndReadBack(Options->File, Center, Diameter);
    } else if (Options->Fit) {
      // The fit only reads the model; a file that cannot be written fails
      // at the write, with --set's own error. The file as it is before the
      // fit is the only one the sphere may be written into.
      const TFileIdentity Before = TFileStream(Options->File, TFileMode::OpenRead).Identity();
      const TFittedSphere Fitted = FitModelSphere(
          Options->File, Lod->count() > 0 ? std::optional<int>(Options->LOD) : std::nullopt, /*ReadOnly=*/true);
      for (int I = 0; I < 3; ++I) Center[I] = Fitted.Center[I];
      Diameter = Fitted.Radius;
      if (Options->Write) SaveAndReadBack(Options->File, Center, Diameter, &Before);
    } else if (FromGltf->count() > 0) {
      const std::string ModelName = Options->File.substr(Options->File.find_last_of('/') + 1);
      const std::array<float, 4> Sphere = ReadGltfSphere(Options->FromGltf, ModelName, std::cerr);
      for (int I = 0; I < 3; ++I) Center[I] = Sphere[size_t(I)];
      Diameter = Sphere[3];
      if (Options->Write) SaveAndReadBack(Options->File, Center, Diameter);
    } else {
      ReadSphere(Options->File, Center, Diameter, TreePresent, /*ReadOnly=*/true);
    }
    PrintSphere(Center, Diameter);
  }));
}
