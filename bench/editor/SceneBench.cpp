// One full repaint of the "3-Views" layout, as the window's 200 ms timer asks
// for it, on the headless (software) context at the window's drawing size:
// the sample model and a model of 100,000 faces, against the repaint of an
// empty window in the same run.
#include <benchmark/benchmark.h>
#include <GL/gl.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "editor/EditorModel.h"
#include "editor/Scene.h"
#include "gl/HeadlessContext.h"
#include "model/SampleModel.h"
#include "model/TZorvObject.h"

namespace {

std::string TempFile(const std::string& Name) {
  return (std::filesystem::temp_directory_path() / ("quelbir-bench-" + Name)).string();
}

// A flat grid of Count quadrilaterals, each with its own corners, stored as
// AddPolygon stores them (corners reversed, one shared normal) but built
// directly: AddPolygon's search for equal vertices would take minutes here.
TSampleMesh GridMesh(int Count) {
  TSampleMesh Mesh;
  const int Side = 317;  // 317 x 316 > 100,000
  Mesh.Normals.push_back({0, 0, 1});
  for (int I = 0; I < Count; ++I) {
    const float X = float(I % Side) / Side - 0.5f, Y = float(I / Side) / Side - 0.5f, D = 0.8f / Side;
    const TVector Corners[4] = {{X, Y, 0.1f * X}, {X + D, Y, 0.1f * X}, {X + D, Y + D, 0.1f * X}, {X, Y + D, 0.1f * X}};
    TFace Face;
    Face.Texture = 10000000;
    Face.First = int32_t(Mesh.FaceVertices.size());
    Face.Count = 4;
    for (int C = 3; C >= 0; --C) {
      TFaceVertex Corner;
      Corner.Vertex = int32_t(Mesh.Vertices.size());
      Mesh.Vertices.push_back(Corners[C]);
      Mesh.FaceVertices.push_back(Corner);
    }
    Mesh.Faces.push_back(Face);
  }
  return Mesh;
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
