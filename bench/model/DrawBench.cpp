// One direct drawing of 100,000 quadrilaterals on the headless context, as
// the editor draws its model at every repaint (its budget is 200 ms), beside
// the two parts that tell where its time goes: the faces sent but clipped
// away, and all of them sent in one call from an array. Kept apart from the load benchmark, whose allocation settings
// would slow the OpenGL driver down.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <GL/gl.h>

#include <chrono>
#include <filesystem>
#include <vector>

#include "bench/model/BigModel.h"
#include "gl/HeadlessContext.h"
#include "model/ModelOutline.h"
#include "model/TZorvObject.h"

namespace {

// The headless context with a model of 100,000 quadrilaterals loaded as the
// editor loads it (outlines, fit scale, mesh kept).
struct TDrawSetup {
  THeadlessGL Context{528, 336};
  TZorvObject Model;
  TDrawSetup() {
    const std::string Name =
        (std::filesystem::temp_directory_path() / ("quelbir-draw-" + std::to_string(getpid()) + ".iff")).string();
    BigModel::Write(Name, 400, 250);
    Model.SetWireframe(true);
    Model.SetKeepData(true);
    Model.LoadFromFile(Name);
    std::filesystem::remove(Name);
    Model.SetFitSize(0.4f);
    glColor3f(1, 1, 1);
  }
};

// Draw once per iteration, made to finish with glFinish.
template <class TDraw>
void Repeat(benchmark::State& State, const TDrawSetup& Setup, TDraw Draw) {
  for (auto _ : State) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    Draw();
    glPopMatrix();
    glFinish();
  }
  State.counters["faces"] = double(Setup.Model.Mesh().FaceCount);
}

// One DrawDirect as the editor draws it.
void DrawDirectHundredThousandQuads(benchmark::State& State) {
  TDrawSetup Setup;
  Repeat(State, Setup, [&] { Setup.Model.DrawDirect(); });
}
BENCHMARK(DrawDirectHundredThousandQuads)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same DrawDirect moved off the view, so every face is clipped away:
// what sending and transforming the faces costs, without drawing a pixel.
// Only this part depends on how the faces are handed to OpenGL.
void DrawDirectClippedAway(benchmark::State& State) {
  TDrawSetup Setup;
  Repeat(State, Setup, [&] {
    glTranslatef(10, 0, 0);
    Setup.Model.DrawDirect();
  });
}
BENCHMARK(DrawDirectClippedAway)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor of handing the faces over in bulk: every corner in one array,
// built once, sent with one glDrawArrays as quadrilaterals (not the
// polygons DrawDirect sends), outlines as DrawDirect leaves them set.
void OneDrawArraysOfAllQuads(benchmark::State& State) {
  TDrawSetup Setup;
  const TMeshData& Mesh = Setup.Model.Mesh();
  std::vector<TVector> Corners;
  for (int32_t F = Mesh.FaceCount - 1; F >= 0; --F)
    for (int32_t I = Mesh.Faces[F].First + Mesh.Faces[F].Count - 1; I >= Mesh.Faces[F].First; --I)
      Corners.push_back(Mesh.Vertices[size_t(Mesh.FaceVertices[size_t(I)].Vertex)]);
  Setup.Model.DrawDirect();  // the state and the fit scale
  const float Scale = Setup.Model.Scale();
  Repeat(State, Setup, [&] {
    glScalef(Scale, Scale, Scale);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, Corners.data());
    glDrawArrays(GL_QUADS, 0, GLsizei(Corners.size()));
    glDisableClientState(GL_VERTEX_ARRAY);
  });
}
BENCHMARK(OneDrawArraysOfAllQuads)->Unit(benchmark::kMillisecond)->UseRealTime();

// The editor's drawing since: each outline edge once from vertex arrays
// (ModelOutline.h), the same pixels as DrawDirect; "ratio" is its time over
// DrawDirect's, both measured here in the same run.
void OutlineEdgesHundredThousandQuads(benchmark::State& State) {
  TDrawSetup Setup;
  TModelOutline Outline;
  Outline.Draw(Setup.Model);  // the edge list, built once per mesh
  auto Time = [&](auto Draw) {
    const auto Start = std::chrono::steady_clock::now();
    for (int I = 0; I < 5; ++I) {
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      glPushMatrix();
      Draw();
      glPopMatrix();
      glFinish();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  };
  const double Direct = Time([&] { Setup.Model.DrawDirect(); });
  const double Edges = Time([&] { Outline.Draw(Setup.Model); });
  Repeat(State, Setup, [&] { Outline.Draw(Setup.Model); });
  State.counters["edges"] = double(Outline.EdgeCount());
  State.counters["ratio"] = Edges / Direct;
}
BENCHMARK(OutlineEdgesHundredThousandQuads)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
