// The outlines drawn each edge once, and the kept picture with the markers
// (and the names) drawn over it, paint the very pixels the faces drawn one polygon each
// paint: every model, layout, size, zoom and turn below is painted both ways
// in the same run and compared byte for byte.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "bench/editor/GridMesh.h"
#include "bench/model/BigModel.h"
#include "editor/KeptScene.h"
#include "editor/Scene.h"
#include "editor/ScenePicture.h"
#include "editor/ViewPicking.h"
#include "gl/HeadlessContext.h"
#include "model/EditorModel.h"
#include "model/ModelOutline.h"
#include "model/SampleModel.h"
#include "model/TZorvObject.h"
#include "tests/support/BoxMesh.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/TempDir.h"

namespace {

struct TModelCase {
  const char* Name;
  std::function<void(const std::string& File)> Write;
};

const TModelCase Models[] = {
    {"sample", [](const std::string& F) { WriteSampleModel(F); }},
    {"single-mesh sample", [](const std::string& F) { WriteSampleSingleMeshModel(F); }},
    {"closed box",
     [](const std::string& F) {
       const TSampleMesh M = Box({-0.3f, -0.2f, -0.1f}, {0.4f, 0.2f, 0.3f});
       WriteLodModel(F, {M, M}, {{"gun", {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0.4f, 0.1f, 0, 1}}}, nullptr);
     }},
    {"grid of separate quadrilaterals",
     [](const std::string& F) {
       const TSampleMesh M = GridMesh(1200);
       WriteLodModel(F, {M, M}, {}, nullptr);
     }},
    {"grid of shared vertices", [](const std::string& F) { BigModel::Write(F, 40, 30); }},
    {"faces on a line, on a point, of one and two corners",
     [](const std::string& F) {
       TSampleMesh M;
       M.Vertices = {{0, 0, 0}, {0.2f, 0.1f, 0}, {0.4f, 0.2f, 0}, {-0.3f, 0.2f, 0.1f}, {0, 0, 0}};
       M.Normals = {{0, 0, 1}};
       for (int32_t V : {0, 1, 2, 3, 4, 3, 0, 2, 1, 3, 3, 3}) M.FaceVertices.push_back({V, 0, 0, 0});
       M.Faces = {{0, 0, 10000000, 0, 3, 0, 0},   // three corners on a line
                  {0, 0, 10000000, 3, 3, 0, 0},   // a corner twice, the first at the place of another
                  {0, 0, 10000000, 6, 1, 0, 0},   // one corner
                  {0, 0, 10000000, 7, 2, 0, 0},   // two corners
                  {0, 0, 10000000, 9, 3, 0, 0},   // all three on one point
                  {0, 0, 10000000, 0, 4, 0, 0}};  // one that runs over the others' corners
       WriteLodModel(F, {M, M}, {}, nullptr);
     }},
};

// Size, zoom, sphere, view angles: the layouts are each painted with all.
struct TViewCase {
  int Width, Height;
  float Zoom;
  bool Sphere;
  float Angles[3];
};
const TViewCase Views[] = {
    {EditorClientWidth, EditorClientHeight, 1.0f, false, {0, 0, 0}},
    {EditorClientWidth, EditorClientHeight, 1.0f, true, {0, 0, 0}},
    {333, 517, 2.6f, true, {0, 0, 0}},       // views overlap, parts leave the depth range
    {1000, 800, 0.4f, false, {-37, 21, 0}},  // turned by a drag
    {96, 64, 10.0f, true, {12, -70, 5}},
    {640, 480, -1.2f, false, {0, 0, 0}},  // a negative zoom mirrors
};

class OutlineSceneTest : public ::testing::Test {
protected:
  void SetUp() override {
    try {
      Context = std::make_unique<THeadlessGL>(1000, 800);
    } catch (const Exception& E) {
      GTEST_SKIP() << E.Message();
    }
    SetupFixedGLState();
  }
  void TearDown() override {
    Model.reset();
    Context.reset();
  }
  void Load(const TModelCase& Case) {
    Case.Write(File);
    Model = std::make_unique<TZorvObject>();
    SetUpEditorModel(*Model, File);
    ShowLoadedModel(State, *Model);
  }
  // The scene as one layout shows one view case.
  void Show(int Layout, const TViewCase& View) {
    State.Layout = Layout;
    State.Scale = View.Zoom;
    State.ShowSphere = View.Sphere;
    for (int I = 0; I < 3; ++I) State.Angles[I] = View.Angles[I];
  }
  // Two repaints, as the timer gives them, then the frame.
  TFramePixels Paint(int Width, int Height, TModelOutline* Outline) {
    State.Outline = Outline;
    SetupProjection(Width, Height);
    PaintScene(State);
    PaintScene(State);
    return GrabFrame(Width, Height);
  }

  TempDir Dir;
  std::string File = Dir.File("model.iff");
  std::unique_ptr<THeadlessGL> Context;
  std::unique_ptr<TZorvObject> Model;
  TSceneState State;
};

// The pixels that differ, for the failure message.
int Differing(const TFramePixels& A, const TFramePixels& B) {
  int Count = 0;
  for (int Y = 0; Y < A.Height; ++Y)
    for (int X = 0; X < A.Width; ++X) Count += A.At(X, Y) != B.At(X, Y);
  return Count;
}

}  // namespace

TEST_F(OutlineSceneTest, TheEdgeListHoldsEachDrawnEdgeOncePerDirectionInDrawingOrder) {
  TSampleMesh M;
  M.Vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};  // 4 at the place of 1
  M.Normals = {{0, 0, 1}};
  for (int32_t V : {0, 1, 2, 4, 3, 2, 0, 1, 2, 0, 9, 0, 1}) M.FaceVertices.push_back({V, 0, 0, 0});
  M.Faces = {{0, 0, 10000000, 0, 3, 0, 0},    // drawn last: nothing new
             {0, 0, 10000000, 3, 3, 0, 0},    // 2 -> 3, 3 -> 1, and 1 -> 2 the other way round
             {0, 0, 10000000, 6, 3, 0, 0},    // drawn first: 2 -> 1, 1 -> 0, 0 -> 2
             {0, 0, 10000000, 9, 2, 0, 0},    // a vertex beyond the mesh: not drawn
             {0, 0, 10000000, 11, 2, 0, 0}};  // two corners: no outline
  WriteLodModel(File, {M, M}, {}, nullptr);
  Model = std::make_unique<TZorvObject>();
  SetUpEditorModel(*Model, File);
  EXPECT_EQ(OutlineEdges(Model->Mesh()), (std::vector<uint32_t>{2, 1, 1, 0, 0, 2, 2, 3, 3, 1, 1, 2}));
}

TEST_F(OutlineSceneTest, EachEdgeOncePaintsTheFacesPixels) {
  for (const TModelCase& Case : Models) {
    Load(Case);
    TModelOutline Outline;
    State.SphereCenter[0] = 0.05f;
    State.SphereDiameter = 0.3f;
    for (int Layout = 0; Layout < ViewLayoutCount; ++Layout)
      for (const TViewCase& View : Views) {
        Show(Layout, View);
        const TFramePixels Faces = Paint(View.Width, View.Height, nullptr);
        const TFramePixels Edges = Paint(View.Width, View.Height, &Outline);
        EXPECT_TRUE(Faces.Rgba == Edges.Rgba)
            << Case.Name << ", " << ViewLayoutNames[Layout] << ", " << View.Width << " x " << View.Height << " at "
            << View.Zoom << ": " << Differing(Faces, Edges) << " pixels differ";
      }
  }
}

TEST_F(OutlineSceneTest, EveryEdgePaintsWhatEachEdgeOncePaints) {
  // A picture drawn once lists every edge rather than look each one up.
  for (const TModelCase& Case : Models) {
    Load(Case);
    TModelOutline Once, Every(TOutlineEdges::Every);
    for (const TViewCase& View : Views) {
      Show(0, View);
      const TFramePixels OnceDrawn = Paint(View.Width, View.Height, &Once);
      const TFramePixels EveryDrawn = Paint(View.Width, View.Height, &Every);
      EXPECT_TRUE(OnceDrawn.Rgba == EveryDrawn.Rgba) << Case.Name << ", " << View.Width << " x " << View.Height << ": "
                                                     << Differing(OnceDrawn, EveryDrawn) << " pixels differ";
    }
    EXPECT_GE(Every.EdgeCount(), Once.EdgeCount());
  }
}

TEST_F(OutlineSceneTest, TheKeptPictureWithTheMarkersOverItPaintsTheWholeScenesPixels) {
  Load(Models[0]);  // the sample: hardpoints in every view
  State.SphereDiameter = 0.3f;
  TKeptScene Kept;
  int Width = 0, Height = 0;
  // The marker moves of a drag and a selection, each painted from the kept
  // picture unless the views overlap.
  // The names too, with the pointer reaching the first hardpoint's marker.
  const std::function<void()> MarkerSteps[] = {
      [&] { State.SelectedHardpoints = {2}; },
      [&] { State.ShowNames = true; },
      [&] { Model->GetHardpoint(2)->Matrix[12] += 0.05f; },
      [&] {
        const TViewTransform First = ViewTransforms(State)[0];
        const TPixel At = ProjectToPixel(First, HardpointOrigin(Model->GetHardpoint(0)->Matrix), Width, Height);
        State.Pointer = {{int(At.X), int(At.Y)}};
      },
      [&] { State.SelectedHardpoints = {}; },
  };
  for (int Layout = 0; Layout < ViewLayoutCount; ++Layout)
    for (const TViewCase& View : Views) {
      Show(Layout, View);
      Width = View.Width, Height = View.Height;
      State.SelectedHardpoints = {0};
      State.ShowNames = false;
      State.Pointer.reset();
      const std::string Case = std::string(ViewLayoutNames[Layout]) + ", " + std::to_string(View.Width) + " x " +
                               std::to_string(View.Height);
      auto Compare = [&](const char* Step) {
        SetupProjection(View.Width, View.Height);
        ASSERT_TRUE(Kept.Changed(State, View.Width, View.Height)) << Case << ", " << Step;
        Kept.Paint(State, View.Width, View.Height);
        const TFramePixels Painted = GrabFrame(View.Width, View.Height);
        EXPECT_FALSE(Kept.Changed(State, View.Width, View.Height)) << Case << ", " << Step;
        const TFramePixels Whole = Paint(View.Width, View.Height, nullptr);
        EXPECT_TRUE(Whole.Rgba == Painted.Rgba)
            << Case << ", " << Step << ": " << Differing(Whole, Painted) << " pixels differ";
      };
      Compare("first paint");
      EXPECT_NE(Kept.LastPaint(), TKeptScene::TPaint::FromKept) << Case;
      for (const auto& Step : MarkerSteps) {
        Step();
        Compare("marker step");
        // Only the overlapping views of "3-Views" at large zoom are painted whole.
        if (Layout != 0 || std::fabs(View.Zoom) <= 1) {
          EXPECT_EQ(Kept.LastPaint(), TKeptScene::TPaint::FromKept) << Case;
        }
      }
    }
  Kept.Release();
}

TEST_F(OutlineSceneTest, SolidAndTexturedArePaintedWholeAndTheirModeAndFolderAreChanges) {
  Load(Models[0]);
  const int Width = EditorClientWidth, Height = EditorClientHeight;
  TFaceTextures Beside(Dir.Path().string()), Elsewhere(Dir.File("elsewhere"));
  TKeptScene Kept;
  SetupProjection(Width, Height);
  Kept.Paint(State, Width, Height);
  for (TShading Shading : {TShading::Solid, TShading::Textured}) {
    State.Shading = Shading;
    State.Textures = &Beside;
    EXPECT_TRUE(Kept.Changed(State, Width, Height)) << ShadingNames[int(Shading)];
    for (int Selected : {0, 2}) {
      State.SelectedHardpoints = {Selected};
      SetupProjection(Width, Height);
      Kept.Paint(State, Width, Height);
      const TFramePixels Painted = GrabFrame(Width, Height);
      EXPECT_EQ(Kept.LastPaint(), TKeptScene::TPaint::Whole) << ShadingNames[int(Shading)];
      EXPECT_TRUE(Paint(Width, Height, nullptr).Rgba == Painted.Rgba) << ShadingNames[int(Shading)];
    }
    State.Textures = &Elsewhere;
    EXPECT_TRUE(Kept.Changed(State, Width, Height)) << ShadingNames[int(Shading)];
  }
  Kept.Release();
}

TEST_F(OutlineSceneTest, TurningOrZoomingABigMeshIsLighterUntilItSettles) {
  double Now = 100;
  for (const bool Big : {true, false}) {
    SCOPED_TRACE(Big ? "big mesh" : "sample");
    if (Big) {
      File = Dir.File("big.iff");
      BigModel::Write(File, 200, 200);
      Model = std::make_unique<TZorvObject>();
      SetUpEditorModel(*Model, File);
      ShowLoadedModel(State, *Model);
    } else {
      Load(Models[0]);
    }
    const int Width = EditorClientWidth, Height = EditorClientHeight;
    TKeptScene Kept;
    Kept.SetClock([&Now] { return Now; });
    auto PaintKept = [&] {
      SetupProjection(Width, Height);
      Kept.Paint(State, Width, Height);
      return GrabFrame(Width, Height);
    };
    State.Angles[1] = 0;
    State.Scale = 1;
    EXPECT_NE(PaintKept().Rgba, TFramePixels().Rgba);
    EXPECT_NE(Kept.LastPaint(), TKeptScene::TPaint::Lighter);  // a first paint is at rest
    const std::function<void()> Steps[] = {[&] { State.Angles[1] += 4; }, [&] { State.Scale *= 1.25f; }};
    for (const auto& Step : Steps) {
      Step();
      Now += 0.05;
      ASSERT_TRUE(Kept.Changed(State, Width, Height));
      const TFramePixels Moving = PaintKept();
      EXPECT_EQ(Kept.LastPaint() == TKeptScene::TPaint::Lighter, Big);
      EXPECT_EQ(Moving.Rgba != Paint(Width, Height, nullptr).Rgba, Big);
    }
    Now += TLighterPicture::SettleSeconds / 2;
    EXPECT_FALSE(Kept.Changed(State, Width, Height));
    Now += TLighterPicture::SettleSeconds / 2;
    // Settled: the exact picture is due, and it is the picture at rest.
    EXPECT_EQ(Kept.Changed(State, Width, Height), Big);
    const TFramePixels Settled = PaintKept();
    EXPECT_NE(Kept.LastPaint(), TKeptScene::TPaint::Lighter);
    EXPECT_FALSE(Kept.Changed(State, Width, Height));
    EXPECT_TRUE(Settled.Rgba == Paint(Width, Height, nullptr).Rgba);
    Kept.Release();
  }
}
