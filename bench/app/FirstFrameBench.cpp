// The time from start to the first painted frame: the window is created (its
// FormCreate, with the sample model named on the command line), shown, and
// timed until its first FormPaint has run; against the same for the empty
// window in the same run. Needs an X display (Xvfb will do).
//
// With --screenshot=FILE it first writes a picture of the window, shown with
// the sample loaded, to FILE (PNG) and then runs the benchmarks.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "app/QuelbirApplication.h"
#include "app/ScriptedWindowServices.h"
#include "app/Unit1.h"
#include "bench/model/BigModel.h"
#include "model/EditorModel.h"
#include "model/SampleModel.h"
#include "model/TZorvObject.h"

namespace {

std::string SampleFile() {
  static const std::string File = [] {
    std::string Name = (std::filesystem::temp_directory_path() / "quelbir-bench-sample.iff").string();
    WriteSampleModel(Name);
    return Name;
  }();
  return File;
}

bool WaitForPaint(TForm1& Form, int Count, int TimeoutMs = 10000) {
  QElapsedTimer Clock;
  Clock.start();
  while (Form.PaintCount() < Count) {
    if (Clock.elapsed() > TimeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// A grid of 1,000,000 quadrilaterals with a hardpoint and a sphere, as the
// window opens it without a message.
std::string MillionPath() { return (std::filesystem::temp_directory_path() / "quelbir-bench-million.iff").string(); }
std::string MillionFile() {
  static const std::string File = [] {
    BigModel::Write(MillionPath(), 1000, 1000, /*WithHardpoint=*/true);
    return MillionPath();
  }();
  return File;
}

void FirstFrame(benchmark::State& Bench, const std::string& File) {
  TScriptedWindowServices Services;
  Services.CommandLineArgument = File;
  for (auto _ : Bench) {
    auto Form = std::make_unique<TForm1>(Services);
    Form->show();
    if (!WaitForPaint(*Form, 1)) {
      Bench.SkipWithError("no frame was painted");
      break;
    }
    Bench.PauseTiming();
    Form->close();
    Form.reset();
    QCoreApplication::processEvents();
    Bench.ResumeTiming();
  }
}

// The load alone, as `quelbir-cli info` makes it: the first frame of the
// million faces less the empty window's is measured against it.
void BM_LoadMillionFaces(benchmark::State& Bench) {
  for (auto _ : Bench) {
    TZorvObject Model(TDisplayListPolicy::None);
    SetUpEditorModel(Model, MillionFile());
    benchmark::DoNotOptimize(Model.Mesh().FaceCount);
  }
}

void BM_FirstFrameEmptyWindow(benchmark::State& Bench) { FirstFrame(Bench, ""); }
void BM_FirstFrameWithSample(benchmark::State& Bench) { FirstFrame(Bench, SampleFile()); }
void BM_FirstFrameMillionFaces(benchmark::State& Bench) { FirstFrame(Bench, MillionFile()); }
BENCHMARK(BM_FirstFrameEmptyWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FirstFrameWithSample)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LoadMillionFaces)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FirstFrameMillionFaces)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

int Screenshot(const std::string& File) {
  TScriptedWindowServices Services;
  Services.CommandLineArgument = SampleFile();
  TForm1 Form(Services);
  Form.chkHideSphere->setChecked(false);
  Form.show();
  if (!WaitForPaint(Form, 8)) return 1;
  // The window as the screen shows it, and as the widgets draw it (the
  // drawing included).
  QPixmap Screen = Form.screen()->grabWindow(0, Form.x(), Form.y(), Form.width(), Form.height());
  QPixmap Widgets = Form.grab();
  if (Widgets.isNull() || !Widgets.save(QString::fromStdString(File), "PNG")) return 1;
  if (!Screen.isNull()) Screen.save(QString::fromStdString(File) + ".screen.png", "PNG");
  Form.close();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  PrepareApplication();
  QApplication Application(argc, argv);
  for (int I = 1; I < argc; ++I) {
    const char* Flag = "--screenshot=";
    if (std::strncmp(argv[I], Flag, std::strlen(Flag)) == 0) {
      if (Screenshot(argv[I] + std::strlen(Flag)) != 0) return 1;
      for (int J = I; J + 1 < argc; ++J) argv[J] = argv[J + 1];
      --argc;
      break;
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove(MillionPath());
  return 0;
}
