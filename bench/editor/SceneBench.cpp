// One full repaint of the "3-Views" layout, as the window's 200 ms timer asks
// for it, on the headless (software) context at the window's drawing size:
// the sample model and a model of 100,000 faces, against the repaint of an
// empty window in the same run.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/editor/GridMesh.h"
#include "editor/Scene.h"
#include "gl/HeadlessContext.h"
#include "model/EditorModel.h"
#include "model/SampleModel.h"
#include "model/TZorvObject.h"

namespace {

std::string TempFile(const std::string& Name) {
  return (std::filesystem::temp_directory_path() / ("quelbir-bench-" + Name)).string();
}

// Paints the scene of File (none: the empty window) until the timing is
// steady. "budget" is the share of the timer's 200 ms one repaint takes.
void Repaint(benchmark::State& Bench, const std::string& File) {
  THeadlessGL Context(EditorClientWidth, EditorClientHeight);
  SetupFixedGLState();
  SetupProjection(EditorClientWidth, EditorClientHeight);
  std::unique_ptr<TZorvObject> Model;  // released before its context
  TSceneState Scene;
  Scene.Layout = 0;  // "3-Views"
  Scene.HideSphere = false;
  Scene.SphereDiameter = 1;
  if (!File.empty()) {
    Model = std::make_unique<TZorvObject>();
    SetUpEditorModel(*Model, File);
    Scene.Model = Model.get();
    Bench.counters["faces"] = Model->Mesh().FaceCount;
  }
  const auto Start = std::chrono::steady_clock::now();
  for (auto _ : Bench) {
    Context.Activate();
    PaintScene(Scene);
    Context.Swap();
    glFinish();
  }
  const double Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  if (Bench.iterations() > 0) Bench.counters["budget"] = Seconds / double(Bench.iterations()) / 0.2;
}

void BM_RepaintEmptyWindow(benchmark::State& Bench) { Repaint(Bench, ""); }

void BM_RepaintSample(benchmark::State& Bench) {
  const std::string File = TempFile("sample.iff");
  WriteSampleModel(File);
  Repaint(Bench, File);
  std::filesystem::remove(File);
}

void BM_Repaint100000Faces(benchmark::State& Bench) {
  const std::string File = TempFile("faces.iff");
  const TSampleMesh Mesh = GridMesh(100000);
  WriteLodModel(File, {Mesh, Mesh}, {}, nullptr);
  Repaint(Bench, File);
  std::filesystem::remove(File);
}

}  // namespace

BENCHMARK(BM_RepaintEmptyWindow)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RepaintSample)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Repaint100000Faces)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

BENCHMARK_MAIN();
