// One full repaint of the "3-Views" layout, as the window's 200 ms timer asks
// for it, on the headless (software) context at the window's drawing size:
// the sample model and a model of 100,000 faces, against the repaint of an
// empty window in the same run; the 100,000 faces in each display mode side
// by side (Textured with four textures beside the model); and a thumbnail as
// file managers ask for it, load and context included; and Show Names on
// 20,000 hardpoints beside the same repaint without them.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/editor/GridMesh.h"
#include "editor/HardpointNames.h"
#include "editor/KeptScene.h"
#include "editor/ModelThumbnail.h"
#include "editor/Scene.h"
#include "gl/HeadlessContext.h"
#include "model/EditorModel.h"
#include "model/ModelOutline.h"
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
  TModelOutline Outline;                      // Outlines as render draws them
  TSceneState Scene;
  Scene.Outline = &Outline;
  Scene.Shading = Shading;
  Scene.Textures = &Textures;
  Scene.Layout = 0;  // "3-Views"
  Scene.ShowSphere = true;
  Scene.SphereDiameter = 1;
  if (!File.empty()) {
    Model = std::make_unique<TZorvObject>();
    SetUpEditorModel(*Model, File);
    ShowLoadedModel(Scene, *Model);
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

// Today's path and the outlines drawn each edge once, side by side in one
// run: the 3-Views repaint of 100,000 faces at the window's size (range 0)
// and at 1000 x 800 (range 1), alternating so both meet the same machine.
// "ratio" is the edge list's time over the polygons'.
void BM_Repaint100000FacesSideBySide(benchmark::State& Bench) {
  const int Width = Bench.range(0) ? 1000 : EditorClientWidth, Height = Bench.range(0) ? 800 : EditorClientHeight;
  const std::string File = TempFile("faces.iff");
  const TSampleMesh Mesh = GridMesh(100000);
  WriteLodModel(File, {Mesh, Mesh}, {}, nullptr);
  THeadlessGL Context(Width, Height);
  SetupFixedGLState();
  SetupProjection(Width, Height);
  TZorvObject Model;
  SetUpEditorModel(Model, File);
  std::filesystem::remove(File);
  TModelOutline Outline;
  TSceneState Scene;
  Scene.ShowSphere = true;
  Scene.SphereDiameter = 1;
  ShowLoadedModel(Scene, Model);
  auto Time = [&](TModelOutline* Path) {
    Scene.Outline = Path;
    const auto Start = std::chrono::steady_clock::now();
    PaintScene(Scene);
    Context.Swap();
    glFinish();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  };
  Time(&Outline);  // the edge list, built once per load
  double Polygons = 0, Edges = 0;
  for (auto _ : Bench) {
    Polygons += Time(nullptr);
    Edges += Time(&Outline);
  }
  const double N = double(std::max<int64_t>(1, Bench.iterations()));
  Bench.counters["polygons_ms"] = Polygons / N * 1000;
  Bench.counters["edges_ms"] = Edges / N * 1000;
  Bench.counters["ratio"] = Edges / Polygons;
}

// A repaint while only the markers change (a pick, a drag step), from the
// kept picture, beside a whole repaint through the same kept scene: 100,000
// faces in "3-Views" at 1000 x 800.
void BM_MarkerRepaint100000Faces(benchmark::State& Bench) {
  const int Width = 1000, Height = 800;
  const std::string File = TempFile("faces.iff");
  const TSampleMesh Mesh = GridMesh(100000);
  TSampleHardpoint Origin;
  Origin.Name = "origin";
  WriteLodModel(File, {Mesh, Mesh}, {Origin, Origin}, nullptr);
  THeadlessGL Context(Width, Height);
  SetupFixedGLState();
  SetupProjection(Width, Height);
  TZorvObject Model;
  SetUpEditorModel(Model, File);
  std::filesystem::remove(File);
  TKeptScene Kept;
  TSceneState Scene;
  Scene.ShowSphere = true;
  Scene.SphereDiameter = 1;
  ShowLoadedModel(Scene, Model);
  auto Time = [&] {
    const auto Start = std::chrono::steady_clock::now();
    Kept.Paint(Scene, Width, Height);
    Context.Swap();
    glFinish();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  };
  double Whole = 0, Markers = 0;
  int Step = 0;
  for (auto _ : Bench) {
    Scene.SphereDiameter = Scene.SphereDiameter == 1 ? 1.01f : 1;  // the mesh's picture made again
    Whole += Time();
    Scene.SelectedHardpoints = {++Step % 2};  // only the markers change
    Markers += Time();
    if (Kept.LastPaint() != TKeptScene::TPaint::FromKept) Bench.SkipWithError("not painted from the kept picture");
  }
  Kept.Release();
  Bench.counters["whole_ms"] = Whole / double(std::max<int64_t>(1, Bench.iterations())) * 1000;
  Bench.counters["markers_ms"] = Markers / double(std::max<int64_t>(1, Bench.iterations())) * 1000;
  Bench.counters["ratio"] = Markers / Whole;
}

// Show Names on 20,000 hardpoints spread over the sample's extent, their
// names 200 bytes long (range 1) or "HardpointN" (range 0): the 3-Views
// repaint at the window's size without names, with the names laid out anew
// (every `render --names`, and the window's repaint after a change), and
// with the names kept from the last paint (the window's repaint while they
// stay), side by side in one run. "ratio" and "kept_ratio" are the times
// with names over the time without.
void BM_RepaintNames(benchmark::State& Bench) {
  const int Width = EditorClientWidth, Height = EditorClientHeight;
  const std::string File = TempFile("names.iff");
  const TSampleMesh Mesh = SampleCraftMesh(0);
  TVector Min = Mesh.Vertices[0], Max = Mesh.Vertices[0];
  for (const TVector& V : Mesh.Vertices) {
    Min = {std::min(Min.X, V.X), std::min(Min.Y, V.Y), std::min(Min.Z, V.Z)};
    Max = {std::max(Max.X, V.X), std::max(Max.Y, V.Y), std::max(Max.Z, V.Z)};
  }
  uint32_t Random = 12345;
  auto Within = [&Random](float Low, float High) {
    Random = Random * 1664525u + 1013904223u;
    return Low + (High - Low) * float(Random >> 8) / float(1 << 24);
  };
  std::vector<TSampleHardpoint> Hardpoints(20000);
  for (size_t I = 0; I < Hardpoints.size(); ++I) {
    const std::string Number = std::to_string(I);
    Hardpoints[I].Name = Bench.range(0) ? std::string(200 - Number.size(), 'N') + Number : "Hardpoint" + Number;
    Hardpoints[I].Matrix = {
        1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, Within(Min.X, Max.X), Within(Min.Y, Max.Y), Within(Min.Z, Max.Z), 1};
  }
  WriteLodModel(File, {Mesh, Mesh}, Hardpoints, nullptr);
  THeadlessGL Context(Width, Height);
  SetupFixedGLState();
  SetupProjection(Width, Height);
  TZorvObject Model;
  SetUpEditorModel(Model, File);
  std::filesystem::remove(File);
  TModelOutline Outline;
  THardpointNameLayer Kept;
  TSceneState Scene;
  Scene.Outline = &Outline;
  ShowLoadedModel(Scene, Model);
  auto Time = [&](bool Names, THardpointNameLayer* Layer) {
    Scene.ShowNames = Names;
    Scene.Names = Layer;
    const auto Start = std::chrono::steady_clock::now();
    PaintScene(Scene);
    Context.Swap();
    glFinish();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  };
  Time(true, &Kept);  // the names laid out once
  double None = 0, Anew = 0, FromKept = 0;
  for (auto _ : Bench) {
    None += Time(false, nullptr);
    Anew += Time(true, nullptr);
    FromKept += Time(true, &Kept);
  }
  if (Kept.Layouts() != 1) Bench.SkipWithError("the kept names were laid out again");
  const double N = double(std::max<int64_t>(1, Bench.iterations()));
  Bench.counters["no_names_ms"] = None / N * 1000;
  Bench.counters["names_ms"] = Anew / N * 1000;
  Bench.counters["kept_names_ms"] = FromKept / N * 1000;
  Bench.counters["ratio"] = Anew / None;
  Bench.counters["kept_ratio"] = FromKept / None;
  Bench.SetLabel(Bench.range(0) ? "200-byte names" : "short names");
}

}  // namespace

BENCHMARK(BM_RepaintNames)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Repaint100000FacesSideBySide)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_MarkerRepaint100000Faces)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_RepaintEmptyWindow)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RepaintSample)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Repaint100000Faces)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ThumbnailSample)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Thumbnail100000Faces)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
