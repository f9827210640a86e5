// quelbir-cli check PATH... [--json] [--jobs N] [--all-lods | --lod N]:
// examines every model file of the paths (folders walked for ".iff" files)
// and names every problem found, with a stable code, a severity and a place.
// Exit status 0 when no file has an error, 1 when one has, 2 for a usage
// error or a path that does not exist.
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "check/CheckProgress.h"
#include "check/CheckReport.h"
#include "check/ModelFiles.h"
#include "check/ParallelCheck.h"
#include "cli/Commands.h"
#include "runtime/FileLayer.h"

void AddCheckCommand(CLI::App& App) {
  struct TOptions {
    std::vector<std::string> Paths;
    bool Json = false;
    int Jobs = 0;
    int Lod = 0;
    bool AllLods = false;
  };
  auto Options = std::make_shared<TOptions>();
  CLI::App* Cmd = App.add_subcommand("check", "Examine model files and folders of them for problems");
  Cmd->add_option("PATH", Options->Paths, "model file, or folder walked for .iff files")
      ->required()
      ->check(CLI::ExistingPath);
  Cmd->add_flag("--json", Options->Json, "print one JSON object");
  Cmd->add_option("--jobs", Options->Jobs, "files examined at once (the number of cores)")
      ->check(WholeNumber(1, 1 << 16));
  CLI::Option* Lod = Cmd->add_option("--lod", Options->Lod, "examine this level of detail only")->check(LevelNumber());
  CLI::Option* AllLods = Cmd->add_flag("--all-lods", Options->AllLods, "examine every level of detail (the default)");
  Lod->excludes(AllLods);
  AllLods->excludes(Lod);
  Cmd->callback([Options, Lod] {
    TCheckOptions Check;
    if (*Lod) Check.Lod = Options->Lod;
    const std::vector<TModelFile> Files = ListModelFiles(Options->Paths);
    const int Jobs = Options->Jobs > 0 ? Options->Jobs : DefaultCheckJobs();

    std::optional<TCheckProgress> Progress;
    if (!Options->Json && Files.size() > 1 && TCheckProgress::IsTerminal(stderr))
      Progress.emplace(stderr, Files.size());
    TCheckReport Report(std::cout, Options->Json);
    CheckFiles(
        Files, Check, Jobs,
        [&](size_t Index, std::vector<TFinding>& Findings) {
          // A report on the bar's terminal goes out whole, on a clean line.
          const bool Interleaved = Progress && !Findings.empty() && TCheckProgress::IsTerminal(stdout);
          if (Interleaved) Progress->Clear();
          Report.AddFile(Files[Index].Path, Findings);
          if (Interleaved) std::cout.flush();
          if (!std::cout) throw EInOutError("Cannot write the check's report to standard output");
        },
        Progress ? std::function<void(size_t)>([&](size_t Done) { Progress->Update(Done); }) : nullptr);
    Progress.reset();
    Report.Finish();
    if (!std::cout.flush()) throw EInOutError("Cannot write the check's report to standard output");
    // The report says what is wrong; the status only says whether anything is.
    if (Report.Errors() > 0) throw CLI::RuntimeError(1);
  });
}
