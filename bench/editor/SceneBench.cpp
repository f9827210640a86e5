// One full repaint of the "3-Views" layout, as the window's 200 ms timer asks
// for it, on the headless (software) context at the window's drawing size:
// the sample model and a model of 100,000 faces, against the repaint of an
// empty window in the same run; the 100,000 faces in each display mode side
// by side (Textured with four textures beside the model); and a thumbnail as
// file managers ask for it, load and context included.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/editor/GridMesh.h"
#include "editor/EditorModel.h"
#include "editor/ModelThumbnail.h"
#include "editor/Scene.h"
#include "gl/HeadlessContext.h"
#include "model/SampleModel.h"
#include "model/SampleTextures.h"
#include "model/TZorvObject.h"
#include "runtime/OutputFiles.h"

namespace {

std::string TempFile(const std::string& Name) {
  return (std::filesystem::temp_directory_path() / ("quelbir-bench-" + Name)).string();
}

// Paints the scene of File (none: the empty window) until the timing is
// steady. "budget" is the share of the timer's 200 ms one repaint takes.
void Repaint(benchmark::State& Bench, const std::string& File, TShading Shading = TShading::Outlines) {
  THeadlessGL Context(EditorClientWidth, EditorClientHeight);
  SetupFixedGLState();
  SetupProjection(EditorClientWidth, EditorClientHeight);
  std::unique_ptr<TZorvObject> Model;         // released before its context
  TFaceTextures Textures(ModelFolder(File));  // released before its context
  TSceneState Scene;
  Scene.Shading = Shading;
  Scene.Textures = &Textures;
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

// 100,000 faces wearing the sample's four textures in turn, written beside
// the model.
std::string WriteTexturedGrid() {
  const std::string Folder = TempFile("textured");
  std::filesystem::create_directories(Folder);
  TSampleMesh Mesh = GridMesh(100000);
  for (size_t F = 0; F < Mesh.Faces.size(); ++F) Mesh.Faces[F].Texture = int32_t(F % 4) + 1;
  const std::string File = Folder + "/faces.iff";
  WriteLodModel(File, {Mesh, Mesh}, {}, nullptr);
  for (int32_t Number = 1; Number <= 4; ++Number) {
    const std::vector<uint8_t> Mat = SampleTextureBytes(Number);
    WriteOutputFile(TextureFileName(Folder + "/", Number), Mat.data(), Mat.size());
  }
  return File;
}

void BM_Repaint100000Faces(benchmark::State& Bench) {
  const std::string File = WriteTexturedGrid();
  Repaint(Bench, File, TShading(Bench.range(0)));
  Bench.SetLabel(ShadingNames[Bench.range(0)]);
  std::filesystem::remove_all(ModelFolder(File));
}

// One thumbnail of 256 pixels, Solid (the sample) or Textured (the grid).
void Thumbnail(benchmark::State& Bench, const std::string& File) {
  TThumbnailRequest Request;
  Request.ModelFile = File;
  for (auto _ : Bench) benchmark::DoNotOptimize(RenderModelThumbnail(Request));
}

void BM_ThumbnailSample(benchmark::State& Bench) {
  const std::string File = TempFile("sample.iff");
  WriteSampleModel(File);
  Thumbnail(Bench, File);
  std::filesystem::remove(File);
}

void BM_Thumbnail100000Faces(benchmark::State& Bench) {
  const std::string File = WriteTexturedGrid();
  Thumbnail(Bench, File);
  std::filesystem::remove_all(ModelFolder(File));
}

}  // namespace

BENCHMARK(BM_RepaintEmptyWindow)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RepaintSample)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Repaint100000Faces)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ThumbnailSample)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Thumbnail100000Faces)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
