// One direct drawing of 100,000 quadrilaterals on the headless context, as
// the editor draws its model at every repaint (its budget is 200 ms). Kept
// apart from the load benchmark, whose allocation settings would slow the
// OpenGL driver down.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <GL/gl.h>

#include <filesystem>

#include "bench/model/BigModel.h"
#include "gl/HeadlessContext.h"
#include "model/TZorvObject.h"

namespace {

// One DrawDirect as the editor draws (outlines, fit scale, mesh kept), made
// to finish with glFinish.
void DrawDirectHundredThousandQuads(benchmark::State& State) {
  const std::string Name =
      (std::filesystem::temp_directory_path() / ("quelbir-draw-" + std::to_string(getpid()) + ".iff")).string();
  BigModel::Write(Name, 400, 250);
  THeadlessGL Context(528, 336);
  TZorvObject Model;
  Model.SetWireframe(true);
  Model.SetKeepData(true);
  Model.LoadFromFile(Name);
  std::filesystem::remove(Name);
  Model.SetFitSize(0.4f);
  glColor3f(1, 1, 1);
  for (auto _ : State) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    Model.DrawDirect();
    glPopMatrix();
    glFinish();
  }
  State.counters["faces"] = double(Model.Mesh().FaceCount);
}
BENCHMARK(DrawDirectHundredThousandQuads)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
