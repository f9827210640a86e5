// Exporting a model of a million quadrilaterals against loading it as
// `quelbir-cli info` does, in the same run: compare each export's time with
// InfoLoad's.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "bench/model/BigModel.h"
#include "interchange/ModelExport.h"
#include "model/EditorModel.h"
#include "model/TZorvObject.h"

namespace {

// The model and the exports live in one folder for the run, removed at exit.
struct TBigFolder {
  std::filesystem::path Path;
  std::string Model;
  TBigFolder() {
    Path = std::filesystem::temp_directory_path() / ("quelbir-export-bench-" + std::to_string(getpid()));
    std::filesystem::create_directory(Path);
    Model = (Path / "million.iff").string();
    BigModel::Write(Model, 1000, 1000);
  }
  ~TBigFolder() { std::filesystem::remove_all(Path); }
};

const TBigFolder& Folder() {
  static TBigFolder Instance;
  return Instance;
}

// The baseline: what `info` does before it prints.
void InfoLoad(benchmark::State& State) {
  for (auto _ : State) {
    TZorvObject Model(TDisplayListPolicy::None);
    Model.OpenReadOnly = true;
    SetUpEditorModel(Model, Folder().Model, 1);
    benchmark::DoNotOptimize(Model.Mesh().FaceCount);
  }
}
BENCHMARK(InfoLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

void Export(benchmark::State& State, const char* Name) {
  const std::string Out = (Folder().Path / Name).string();
  for (auto _ : State) {
    std::ostringstream Warnings;
    ExportModel(Folder().Model, Out, {}, Warnings);
  }
  State.counters["MB"] = double(std::filesystem::file_size(Out)) / 1e6;
}
BENCHMARK_CAPTURE(Export, Glb, "million.glb")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Export, Gltf, "million.gltf")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Export, Obj, "million.obj")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
