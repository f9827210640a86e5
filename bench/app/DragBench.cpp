// The time from one step of a hardpoint drag to the changed picture in the
// real window: a mouse move on the drawing, while the left button holds the
// selected hardpoint's marker, until the window has painted the frame that
// shows it (Qt may hold a repaint until the previous frame is out, so the
// event loop runs until FormPaint has run). Beside it, the repaint alone for
// the same model, so the drag's own share shows; and, as the baseline of the
// run, a turn of the empty window's views. The sample model, a model of
// 100,000 faces and a grid of 1,000,000. A drag step changes only the
// markers, so it paints from the kept picture of the mesh. Needs an X
// display (Xvfb will do).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "app/QuelbirApplication.h"
#include "app/ScriptedWindowServices.h"
#include "app/Unit1.h"
#include "bench/editor/GridMesh.h"
#include "bench/model/BigModel.h"
#include "editor/ViewPicking.h"
#include "gl/qt/QtGLView.h"
#include "model/SampleModel.h"
#include "model/TZorvObject.h"

namespace {

std::string TempFile(const std::string& Name) {
  return (std::filesystem::temp_directory_path() / ("quelbir-bench-" + Name)).string();
}

const std::string& SampleFile() {
  static const std::string File = [] {
    const std::string Name = TempFile("drag-sample.iff");
    WriteSampleModel(Name);
    return Name;
  }();
  return File;
}

const std::string& LargeFile() {
  static const std::string File = [] {
    const std::string Name = TempFile("drag-faces.iff");
    const TSampleMesh Mesh = GridMesh(100000);
    TSampleHardpoint Origin;
    Origin.Name = "origin";
    Origin.Matrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    TSampleSphere Sphere;
    Sphere.Value = 1;
    WriteLodModel(Name, {Mesh, Mesh}, {Origin}, &Sphere);
    return Name;
  }();
  return File;
}

const std::string& MillionFile() {
  static const std::string File = [] {
    const std::string Name = TempFile("drag-million.iff");
    BigModel::Write(Name, 1000, 1000, /*WithHardpoint=*/true);
    return Name;
  }();
  return File;
}

// Runs Qt until the window has painted once more than Count times.
void WaitForPaint(TForm1& Form, int Count) {
  while (Form.PaintCount() <= Count) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

void Send(TForm1& Form, QEvent::Type Type, QPointF At, Qt::KeyboardModifiers Keys = Qt::NoModifier) {
  QMouseEvent Event(Type, At, Form.GLView->mapToGlobal(At), Qt::LeftButton,
                    Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton), Keys);
  QApplication::sendEvent(Form.GLView, &Event);
}

// The window with File loaded (none: empty), shown and painted once.
std::unique_ptr<TForm1> OpenWindow(TScriptedWindowServices& Services, const std::string& File) {
  Services.CommandLineArgument = File;
  auto Form = std::make_unique<TForm1>(Services);
  Form->show();
  // The first frame, and the window settled on the screen (the timer draws
  // again only what changed, so no later frame is waited for).
  while (Form->PaintCount() < 1) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  QElapsedTimer Settle;
  Settle.start();
  while (Settle.elapsed() < 1500) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  Form->Timer1->stop();  // only the steps paint
  return Form;
}

// Where the selected hardpoint's marker is, in the first view.
QPointF MarkerOf(TForm1& Form) {
  const TSceneState State = Form.SceneState();
  const TPixel At = ProjectToPixel(ViewTransforms(State)[0], HardpointOrigin(Form.Document.SelectedHardpoint()->Matrix),
                                   Form.GLView->width(), Form.GLView->height());
  return {At.X, At.Y};
}

void DragStep(benchmark::State& Bench, const std::string& File, Qt::KeyboardModifiers Keys = Qt::NoModifier) {
  TScriptedWindowServices Services;
  auto Form = OpenWindow(Services, File);
  if (!File.empty() && Form->Document.SelectedHardpoint() == nullptr) {
    Bench.SkipWithError(("no hardpoint to drag " + (Services.Messages.empty() ? "" : Services.Messages[0])).c_str());
    return;
  }
  const QPointF Press = File.empty() ? QPointF(300, 250) : MarkerOf(*Form);
  Send(*Form, QEvent::MouseButtonPress, Press);
  if (!File.empty() && !Form->Tools.MovingHardpoint()) Bench.SkipWithError("the press did not hold the marker");
  int Step = 0;
  for (auto _ : Bench) {
    ++Step;
    const int Painted = Form->PaintCount();
    Send(*Form, QEvent::MouseMove, Press + QPointF(Step % 2 ? 6 : -6, Step % 2 ? -4 : 4), Keys);
    WaitForPaint(*Form, Painted);
  }
  Send(*Form, QEvent::MouseButtonRelease, Press);
  Bench.counters["faces"] = Form->Document.Model() ? Form->Document.Model()->Mesh().FaceCount : 0;
  Services.AskAnswers = {"Discard"};  // the moved hardpoint is in no file
  Form->close();
}

void Repaint(benchmark::State& Bench, const std::string& File) {
  TScriptedWindowServices Services;
  auto Form = OpenWindow(Services, File);
  for (auto _ : Bench) {
    const int Painted = Form->PaintCount();
    Form->Paint();
    WaitForPaint(*Form, Painted);
  }
  Form->close();
}

// A one-face model, the baseline of the turn and zoom steps below.
const std::string& OneFaceFile() {
  static const std::string File = [] {
    const std::string Name = TempFile("drag-one-face.iff");
    TSampleMesh Mesh;
    Mesh.AddPolygon({{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}});
    TSampleHardpoint Origin;
    Origin.Name = "origin";
    Origin.Matrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    TSampleSphere Sphere;
    Sphere.Value = 1;
    WriteLodModel(Name, {Mesh, Mesh}, {Origin}, &Sphere);
    return Name;
  }();
  return File;
}

// A 4-pixel drag step on the drawing away from every marker, which turns
// the views, until the frame that shows it.
void TurnStep(benchmark::State& Bench, const std::string& File) {
  TScriptedWindowServices Services;
  auto Form = OpenWindow(Services, File);
  const QPointF Press(4, Form->GLView->height() - 4);
  Send(*Form, QEvent::MouseButtonPress, Press);
  if (!Form->Tools.Turning()) Bench.SkipWithError("the press does not turn the views");
  int Step = 0;
  for (auto _ : Bench) {
    ++Step;
    const int Painted = Form->PaintCount();
    Send(*Form, QEvent::MouseMove, Press + QPointF(Step % 2 ? 4 : 0, 0));
    WaitForPaint(*Form, Painted);
  }
  Send(*Form, QEvent::MouseButtonRelease, Press);
  Bench.counters["faces"] = Form->Document.Model() ? Form->Document.Model()->Mesh().FaceCount : 0;
  Form->close();
}

// One step of the scale box's arrows (a notch of the wheel), and the paint
// the window's tick makes of it.
void ZoomStep(benchmark::State& Bench, const std::string& File) {
  TScriptedWindowServices Services;
  auto Form = OpenWindow(Services, File);
  int Step = 0;
  for (auto _ : Bench) {
    ++Step;
    const int Painted = Form->PaintCount();
    Form->UpDown1->Step(Step % 2 ? 1 : -1);
    Form->Paint();
    WaitForPaint(*Form, Painted);
  }
  Bench.counters["faces"] = Form->Document.Model() ? Form->Document.Model()->Mesh().FaceCount : 0;
  Form->close();
}

void BM_TurnStepEmptyWindow(benchmark::State& Bench) { DragStep(Bench, ""); }
void BM_TurnStepOneFace(benchmark::State& Bench) { TurnStep(Bench, OneFaceFile()); }
void BM_TurnStep100000Faces(benchmark::State& Bench) { TurnStep(Bench, LargeFile()); }
void BM_TurnStep1000000Faces(benchmark::State& Bench) { TurnStep(Bench, MillionFile()); }
void BM_ZoomStepOneFace(benchmark::State& Bench) { ZoomStep(Bench, OneFaceFile()); }
void BM_ZoomStep100000Faces(benchmark::State& Bench) { ZoomStep(Bench, LargeFile()); }
void BM_ZoomStep1000000Faces(benchmark::State& Bench) { ZoomStep(Bench, MillionFile()); }
void BM_DragStepSample(benchmark::State& Bench) { DragStep(Bench, SampleFile()); }
void BM_RepaintSample(benchmark::State& Bench) { Repaint(Bench, SampleFile()); }
void BM_DragStep100000Faces(benchmark::State& Bench) { DragStep(Bench, LargeFile()); }
void BM_Repaint100000Faces(benchmark::State& Bench) { Repaint(Bench, LargeFile()); }
void BM_DragStep1000000Faces(benchmark::State& Bench) { DragStep(Bench, MillionFile()); }
// With Ctrl held: every step also looks through every vertex for the nearest.
void BM_SnapStep100000Faces(benchmark::State& Bench) { DragStep(Bench, LargeFile(), Qt::ControlModifier); }
BENCHMARK(BM_TurnStepEmptyWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_DragStepSample)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_RepaintSample)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_DragStep100000Faces)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Repaint100000Faces)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_SnapStep100000Faces)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DragStep1000000Faces)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_TurnStepOneFace)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_TurnStep100000Faces)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_TurnStep1000000Faces)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ZoomStepOneFace)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_ZoomStep100000Faces)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ZoomStep1000000Faces)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  PrepareApplication();
  QApplication Application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove(SampleFile());
  std::filesystem::remove(LargeFile());
  std::filesystem::remove(MillionFile());
  std::filesystem::remove(OneFaceFile());
  return 0;
}
