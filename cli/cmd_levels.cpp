// quelbir-cli levels FILE -o NEW.iff --make N [--ratio R]: FILE with the
// levels of detail "0000" to N-1, each further level simplified from "0000"
// to about R times the faces of the level before; the table of the levels
// made on standard output once the file is written.
#include <iostream>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "levels/LevelMaking.h"
#include "levels/LevelTable.h"
#include "levels/LevelsFile.h"
#include "runtime/FileLayer.h"
#include "runtime/OutputFiles.h"

void AddLevelsCommand(CLI::App& App) {
  struct TOptions {
    std::string File, Out;
    int Make = 0;
    double Ratio = 0.5;
  };
  auto Options = std::make_shared<TOptions>();
  CLI::App* Cmd = App.add_subcommand("levels", "Make a model's levels of detail from its level 0000");
  Cmd->add_option("FILE", Options->File, "model file (.iff) with levels of detail")->required();
  Cmd->add_option("-o,--output", Options->Out, "new model file to write")->required();
  Cmd->add_option("--make", Options->Make, "levels in all, 0000 included")
      ->required()
      ->check(WholeNumber(1, MaxLevelCount));
  Cmd->add_option("--ratio", Options->Ratio, "each level's faces over the level before's (0.5)")->check(RatioNumber());
  Cmd->callback(NamingModelFile(Options->File, [Options] {
    // The output is checked before any work: a name that cannot be written
    // costs no simplification.
    { TOutputFiles Check({Options->Out}, Options->File); }
    const TModelMesh Finest = ReadFinestLevel(Options->File);
    TLevelOptions Levels;
    Levels.Levels = Options->Make;
    Levels.Ratio = Options->Ratio;
    const std::vector<TMadeLevel> Made = MakeLevels(Finest, Levels);
    std::vector<TModelMesh> Meshes;
    for (const TMadeLevel& Level : Made) Meshes.push_back(Level.Mesh);
    WriteModelFileWithLevels(Options->File, Options->Out, Meshes);
    std::cout << LevelTable(int64_t(Finest.Faces.size()), Made);
    if (!std::cout.flush()) throw EInOutError("Cannot write the table of levels to standard output");
  }));
}
