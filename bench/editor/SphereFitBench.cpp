// Fitting the collision sphere to a model of a million vertices, against
// loading the same file as `quelbir-cli info` loads it, in the same run:
// compare FitModelSphere's time (a load plus the fit) with LoadLikeInfo's.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <vector>

#include "bench/model/BigModel.h"
#include "editor/SphereFit.h"
#include "geometry/SmallestSphere.h"
#include "model/EditorModel.h"
#include "model/TZorvObject.h"

namespace {

// A grid of 1000 x 1000 quadrilaterals: 1001 x 1001 = 1,002,001 vertices.
struct TBigFile {
  std::string Name =
      (std::filesystem::temp_directory_path() / ("quelbir-spherefit-bench-" + std::to_string(getpid()) + ".iff"))
          .string();
  TBigFile() { BigModel::Write(Name, 1000, 1000); }
  ~TBigFile() { std::filesystem::remove(Name); }
};

const std::string& BigFile() {
  static TBigFile File;
  return File.Name;
}

void LoadLikeInfo(benchmark::State& State) {
  for (auto _ : State) {
    TZorvObject Model(TDisplayListPolicy::None);
    Model.OpenReadOnly = true;
    SetUpEditorModel(Model, BigFile(), 1);
    benchmark::DoNotOptimize(Model.Mesh().Vertices.Data());
  }
}
BENCHMARK(LoadLikeInfo)->Unit(benchmark::kMillisecond)->UseRealTime();

void FitModelSphereAllLevels(benchmark::State& State) {
  for (auto _ : State) benchmark::DoNotOptimize(FitModelSphere(BigFile(), std::nullopt, true));
}
BENCHMARK(FitModelSphereAllLevels)->Unit(benchmark::kMillisecond)->UseRealTime();

// The solver alone: the grid's vertices (flat, the answer touching four
// corners) and a million points spread through a cube.
void SmallestSphereOfGrid(benchmark::State& State) {
  std::vector<TPoint3> Points;
  for (int Y = 0; Y <= 1000; ++Y)
    for (int X = 0; X <= 1000; ++X) Points.push_back({float(X) / 1000 - 0.5f, float(Y) / 1000 - 0.5f, 0});
  for (auto _ : State) benchmark::DoNotOptimize(SmallestEnclosingSphere(Points));
}
BENCHMARK(SmallestSphereOfGrid)->Unit(benchmark::kMillisecond)->UseRealTime();

void SmallestSphereOfCube(benchmark::State& State) {
  std::mt19937 Random(5);
  std::uniform_real_distribution<float> Coordinate(-1, 1);
  std::vector<TPoint3> Points(1000000);
  for (TPoint3& P : Points) P = {Coordinate(Random), Coordinate(Random), Coordinate(Random)};
  for (auto _ : State) benchmark::DoNotOptimize(SmallestEnclosingSphere(Points));
}
BENCHMARK(SmallestSphereOfCube)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
