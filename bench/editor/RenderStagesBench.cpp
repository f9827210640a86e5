// Where `quelbir-cli render` spends its time on a grid of 1,000,000
// quadrilaterals ("3-Views" at the window's first size), stage by stage in
// one run: the load, the edge list, each view's outlines (finished on the
// software renderer), the read-back and the PNG. The stages add up to the
// command less the process's own start.
//   quelbir_render_stages_bench [MODEL.iff]   (default: the grid, written to a temporary file)
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench/model/BigModel.h"
#include "editor/Scene.h"
#include "editor/ScenePicture.h"
#include "gl/HeadlessContext.h"
#include "gl/PixelReadback.h"
#include "gl/PngPicture.h"
#include "model/EditorModel.h"
#include "model/ModelOutline.h"
#include "model/TZorvObject.h"

namespace {

std::string GridPath() { return (std::filesystem::temp_directory_path() / "quelbir-bench-render-grid.iff").string(); }
std::string& ModelFile() {
  static std::string File;
  return File;
}
const std::string& Model() {
  if (ModelFile().empty()) {
    BigModel::Write(GridPath(), 1000, 1000);
    ModelFile() = GridPath();
  }
  return ModelFile();
}

void BM_Load(benchmark::State& Bench) {
  for (auto _ : Bench) {
    TZorvObject Loaded(TDisplayListPolicy::None);
    SetUpEditorModel(Loaded, Model());
    benchmark::DoNotOptimize(Loaded.Mesh().FaceCount);
  }
}

void BM_EdgeList(benchmark::State& Bench) {
  TZorvObject Loaded(TDisplayListPolicy::None);
  SetUpEditorModel(Loaded, Model());
  for (auto _ : Bench) benchmark::DoNotOptimize(OutlineEdges(Loaded.Mesh()).size());
}

// One view of "3-Views" (Bench.range(0)): its outlines, finished.
void BM_View(benchmark::State& Bench) {
  THeadlessGL Context(EditorClientWidth, EditorClientHeight);
  SetupFixedGLState();
  SetupProjection(EditorClientWidth, EditorClientHeight);
  auto Loaded = std::make_unique<TZorvObject>();
  SetUpEditorModel(*Loaded, Model());
  TModelOutline Outline;
  TSceneState State;
  State.Model = Loaded.get();
  State.Outline = &Outline;
  const TLayoutView View = LayoutViews(0)[size_t(Bench.range(0))];
  auto Draw = [&] {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (View.Translate) glTranslatef(View.X, View.Y, 0);
    if (View.Angle != 0) glRotatef(View.Angle, View.AxisX, View.AxisY, View.AxisZ);
    DrawModel(State);
    glFinish();
  };
  Draw();  // the edge list, built once as render builds it
  for (auto _ : Bench) Draw();
  Loaded.reset();
}

void BM_ReadBack(benchmark::State& Bench) {
  THeadlessGL Context(EditorClientWidth, EditorClientHeight);
  for (auto _ : Bench) benchmark::DoNotOptimize(GrabFrame(EditorClientWidth, EditorClientHeight).Rgba.data());
}

void BM_Png(benchmark::State& Bench) {
  THeadlessGL Context(EditorClientWidth, EditorClientHeight);
  const TFramePixels Frame = GrabFrame(EditorClientWidth, EditorClientHeight);
  for (auto _ : Bench) benchmark::DoNotOptimize(EncodePng(Frame.Width, Frame.Height, 3, RgbaToRgb(Frame.Rgba)).size());
}

void BM_WholePicture(benchmark::State& Bench) {
  TPictureRequest Request;
  Request.ModelFile = Model();
  for (auto _ : Bench) benchmark::DoNotOptimize(RenderModelFrame(Request).Rgba.data());
}

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EdgeList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_View)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadBack)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Png)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WholePicture)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc > 1) ModelFile() = argv[1];
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove(GridPath());
  return 0;
}
