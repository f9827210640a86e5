// The views as pixels of a painted frame on the headless context: where a
// model lands in each layout, and that the collision sphere stays on the
// model at every zoom and view rotation.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>

#include "editor/HardpointNames.h"
#include "editor/KeptScene.h"
#include "editor/Scene.h"
#include "editor/ScenePicture.h"
#include "gl/HeadlessContext.h"
#include "model/EditorModel.h"
#include "model/SampleModel.h"
#include "model/TZorvObject.h"
#include "tests/support/BoxMesh.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int W = 400, H = 300;  // not square: the -1..1 square is stretched

constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t SphereColour = 0x4D4D66;  // 0.3, 0.3, 0.4 (76.5 may come out as 76)
constexpr uint32_t CrossColour = 0x8080BF;   // 0.5, 0.5, 0.75
constexpr uint32_t NameColour = 0xCCCCCC;    // 0.8, 0.8, 0.8
constexpr uint32_t Yellow = 0xFFFF00;

// The colour within one step per channel: the driver may round x.5 either way.
bool Matches(uint32_t Pixel, uint32_t Colour) {
  for (int Shift = 0; Shift < 24; Shift += 8) {
    const int D = int((Pixel >> Shift) & 0xFF) - int((Colour >> Shift) & 0xFF);
    if (D < -1 || D > 1) return false;
  }
  return true;
}

// The bounding box of the pixels of one colour, in pixels.
struct TBlob {
  int Count = 0;
  int X0 = 1 << 30, Y0 = 1 << 30, X1 = -1, Y1 = -1;
  double CenterX() const { return (X0 + X1) / 2.0; }
  double CenterY() const { return (Y0 + Y1) / 2.0; }
  double Width() const { return X1 - X0; }
};

TBlob Find(const TFramePixels& F, uint32_t Colour, int Left = 0, int Top = 0, int Right = W, int Bottom = H) {
  TBlob B;
  for (int Y = Top; Y < Bottom; ++Y)
    for (int X = Left; X < Right; ++X)
      if (Matches(F.At(X, Y), Colour)) {
        ++B.Count;
        B.X0 = std::min(B.X0, X);
        B.X1 = std::max(B.X1, X);
        B.Y0 = std::min(B.Y0, Y);
        B.Y1 = std::max(B.Y1, Y);
      }
  return B;
}

// A point of the -1..1 square in pixels (y counted from the top).
double PixelX(double X) { return (X + 1) / 2 * W; }
double PixelY(double Y) { return (1 - Y) / 2 * H; }

class SceneTest : public ::testing::Test {
protected:
  void SetUp() override {
    try {
      Context = std::make_unique<THeadlessGL>(W, H);
    } catch (const Exception& E) {
      GTEST_SKIP() << E.Message();
    }
    SetupFixedGLState();
  }
  void TearDown() override {
    Model.reset();
    Context.reset();
  }
  void Load(const TSampleMesh& Mesh) {
    WriteLodModel(File, {Mesh, Mesh}, {}, nullptr);
    Model = std::make_unique<TZorvObject>();
    SetUpEditorModel(*Model, File);
    ShowLoadedModel(State, *Model);
  }
  // A box of extent 0.2 about the origin in the back view, with the sphere
  // shown at (0.05, 0.05, 0), 0.02 across.
  void ShowSphereOnSmallBox() {
    Load(Box({-0.1f, -0.1f, -0.1f}, {0.1f, 0.1f, 0.1f}));
    State.Layout = FindViewLayout("Back View");
    State.ShowSphere = true;
    State.SphereCenter[0] = 0.05f;
    State.SphereCenter[1] = 0.05f;
    State.SphereDiameter = 0.02f;
  }
  // The small box in the back view with hardpoints at the model points (X,
  // Y, 0), their Z axes towards the viewer, none selected, names shown.
  // At zoom 100 a model unit is 800 pixels across and 600 up.
  void LoadNamed(const std::vector<std::tuple<std::string, float, float>>& Hardpoints) {
    std::vector<THardpoint> Written;
    for (const auto& [Name, X, Y] : Hardpoints) {
      Written.push_back({Name});
      Written.back().Matrix[12] = X;
      Written.back().Matrix[13] = Y;
    }
    const TSampleMesh Mesh = Box({-0.1f, -0.1f, -0.1f}, {0.1f, 0.1f, 0.1f});
    WriteLodModel(File, {Mesh, Mesh}, Written, nullptr);
    Model = std::make_unique<TZorvObject>();
    SetUpEditorModel(*Model, File);
    ShowLoadedModel(State, *Model);
    State.SelectedHardpoints = {};
    State.Layout = FindViewLayout("Back View");
    State.ShowNames = true;
  }
  // Two repaints, as the timer gives them, then the frame.
  TFramePixels Paint() {
    Context->Activate();
    SetupProjection(W, H);
    PaintScene(State);
    PaintScene(State);
    return GrabFrame(W, H);
  }
  void ExpectAt(const TBlob& B, double X, double Y, const std::string& What) {
    ASSERT_GT(B.Count, 0) << What << ": nothing drawn";
    EXPECT_NEAR(B.CenterX(), PixelX(X), 1.5) << What;
    EXPECT_NEAR(B.CenterY(), PixelY(Y), 1.5) << What;
  }

  TempDir Dir;
  std::string File = Dir.File("box.iff");
  std::unique_ptr<THeadlessGL> Context;
  std::unique_ptr<TZorvObject> Model;
  TSceneState State;
};

}  // namespace

TEST_F(SceneTest, WithoutAModelOnlyTheBackgroundIsPainted) {
  const TFramePixels F = Paint();
  EXPECT_EQ(Find(F, 0x000000).Count, W * H);
}

// A command line names a layout by its caption or short name, in any case.
TEST(ViewLayoutNames, AreTakenByCaptionOrShortNameInAnyCase) {
  const std::pair<const char*, int> Names[] = {
      {"3-Views", 0}, {"3-VIEWS", 0}, {"top", 1},    {"Top View", 1}, {"SIDE", 2}, {"side view", 2},
      {"Back", 3},    {"back", 3},    {"front", -1}, {"top ", -1},    {"", -1},    {"3-view", -1},
  };
  for (const auto& [Name, Layout] : Names) EXPECT_EQ(FindViewLayoutByName(Name), Layout) << Name;
}

TEST_F(SceneTest, EachLayoutShowsTheModelFromItsSide) {
  // A box from the origin to (0.2, 0.1, 0.05): fitted (largest extent 0.8 at
  // zoom 100) its centre is at (0.4, 0.2, 0.1); at zoom 50 at (0.2, 0.1, 0.05).
  Load(Box({0, 0, 0}, {0.2f, 0.1f, 0.05f}));
  ASSERT_FLOAT_EQ(Model->Scale(), 4.0f);
  State.Scale = ViewScaleFromText("50");
  const double X = 0.2, Y = 0.1, Z = 0.05;

  State.Layout = FindViewLayout("Back View");
  ExpectAt(Find(Paint(), White), X, Y, "back: x right, y up");
  State.Layout = FindViewLayout("Top View");
  ExpectAt(Find(Paint(), White), X, -Z, "top: x right, z down");
  State.Layout = FindViewLayout("Side View");
  ExpectAt(Find(Paint(), White), Z, Y, "side: z right, y up");

  State.Layout = FindViewLayout("3-Views");
  const TFramePixels F = Paint();
  ExpectAt(Find(F, White, W / 2, H / 2, W, H), 0.5 + X, -0.5 + Y, "3-Views, lower right: back");
  ExpectAt(Find(F, White, W / 2, 0, W, H / 2), 0.5 + X, 0.5 - Z, "3-Views, upper right: top");
  ExpectAt(Find(F, White, 0, H / 2, W / 2, H), -0.5 + Z, -0.5 + Y, "3-Views, lower left: side");
  EXPECT_EQ(Find(F, White, 0, 0, W / 2, H / 2).Count, 0) << "the upper left quarter stays empty";
}

TEST_F(SceneTest, ZoomScalesTheModelAboutItsOrigin) {
  Load(Box({0, 0, 0}, {0.2f, 0.1f, 0.05f}));
  State.Layout = FindViewLayout("Back View");
  State.Scale = ViewScaleFromText("25");
  const TBlob Quarter = Find(Paint(), White);
  State.Scale = ViewScaleFromText("50");
  const TBlob Half = Find(Paint(), White);
  ExpectAt(Quarter, 0.1, 0.05, "zoom 25");
  EXPECT_NEAR(Half.Width(), 2 * Quarter.Width(), 1.5);
  // Not a whole number: zoom 100.
  EXPECT_EQ(ViewScaleFromText("1.5"), 1.0f);
  EXPECT_EQ(ViewScaleFromText(""), 1.0f);
  EXPECT_EQ(ViewScaleFromText("-20"), -0.2f);
}

TEST_F(SceneTest, SphereIsHiddenUntilUnticked) {
  Load(Box({-0.1f, -0.1f, -0.1f}, {0.1f, 0.1f, 0.1f}));
  State.Layout = FindViewLayout("Back View");
  State.SphereDiameter = 0.02f;
  EXPECT_EQ(Find(Paint(), SphereColour).Count, 0);
  EXPECT_EQ(Find(Paint(), CrossColour).Count, 0);
  State.ShowSphere = true;
  EXPECT_GT(Find(Paint(), SphereColour).Count, 0);
}

TEST_F(SceneTest, SphereScalesWithTheModelAtEveryZoom) {
  // Box of extent 0.2 about the origin: Scale 4. The sphere's centre sits on
  // the model point (0.05, 0.05, 0): (0.2, 0.2) on the screen at zoom 100,
  // (0.4, 0.4) at zoom 200; its radius 0.02 model units is 0.08, then 0.16.
  ShowSphereOnSmallBox();

  const TFramePixels At100 = Paint();
  const TBlob Sphere100 = Find(At100, SphereColour);
  ExpectAt(Sphere100, 0.2, 0.2, "sphere at zoom 100");
  EXPECT_NEAR(Sphere100.Width(), 0.08 * W, 2.0);
  ExpectAt(Find(At100, CrossColour), 0.2, 0.2, "cross at zoom 100");
  EXPECT_NEAR(Find(At100, CrossColour).Width(), 0.4 * W, 2.0);  // arms of 0.4

  State.Scale = ViewScaleFromText("200");
  const TBlob Sphere200 = Find(Paint(), SphereColour);
  ExpectAt(Sphere200, 0.4, 0.4, "sphere at zoom 200");
  EXPECT_NEAR(Sphere200.Width(), 0.16 * W, 2.0);
}

TEST_F(SceneTest, SphereTurnsWithTheModelAboutTheModelsOrigin) {
  ShowSphereOnSmallBox();
  State.Angles[2] = 90;  // (0.05, 0.05) turns to (-0.05, 0.05)
  ExpectAt(Find(Paint(), SphereColour), -0.2, 0.2, "sphere after a quarter turn about z");
  State.Angles[2] = 0;
  State.Angles[1] = 180;  // about y: x is mirrored
  ExpectAt(Find(Paint(), SphereColour), -0.2, 0.2, "sphere after a half turn about y");
}

TEST_F(SceneTest, SphereWaitsForTheModelsFit) {
  // A model whose fit was never measured (Scale 0) gets no sphere rather
  // than one collapsed to a point with a cross of no defined length.
  WriteLodModel(File, {Box({0, 0, 0}, {1, 1, 1})}, {}, nullptr);
  Model = std::make_unique<TZorvObject>();
  Model->LoadFromFile(File);
  ShowLoadedModel(State, *Model);
  State.ShowSphere = true;
  State.SphereDiameter = 1;
  State.Layout = FindViewLayout("Back View");
  Context->Activate();
  SetupProjection(W, H);
  PaintScene(State);
  const TFramePixels F = GrabFrame(W, H);
  EXPECT_EQ(Find(F, SphereColour).Count, 0);
  EXPECT_EQ(Find(F, CrossColour).Count, 0);
}

TEST(ScenePicture, PaintsTheRequestedFileAsTheWindowDoes) {
  TempDir Dir;
  const std::string File = Dir.File("box.iff");
  WriteLodModel(File, {Box({0, 0, 0}, {0.2f, 0.1f, 0.05f})}, {}, nullptr);
  TPictureRequest Request;
  Request.ModelFile = File;
  Request.Layout = FindViewLayout("Back View");
  Request.Width = W;
  Request.Height = H;
  Request.Scale = ZoomScale(50);
  TFramePixels F;
  try {
    F = RenderModelFrame(Request);
  } catch (const EHeadlessGL& E) {
    GTEST_SKIP() << E.Message();
  }
  ASSERT_EQ(F.Width, W);
  const TBlob B = Find(F, White);
  EXPECT_NEAR(B.CenterX(), PixelX(0.2), 1.5);
  EXPECT_NEAR(B.CenterY(), PixelY(0.1), 1.5);

  // No sphere in the file: asking for it is the load's error.
  Request.ShowSphere = true;
  EXPECT_EQ(MessageOf([&] { RenderModelFrame(Request); }), "TIffReader: Form (COLL) doesn't exist!");
}

TEST_F(SceneTest, APictureShowsWhatTheWindowShowsFromItsSecondTickOn) {
  // The window's first frame draws the first view's sphere with the start-up
  // depth test and culling; every later frame without them.
  TSampleSphere Sphere;
  Sphere.Center = {0.02f, 0.01f, 0};
  Sphere.Value = 0.08f;
  const TSampleMesh Mesh = Box({-0.1f, -0.1f, -0.1f}, {0.1f, 0.1f, 0.1f});
  WriteLodModel(File, {Mesh, Mesh}, {}, &Sphere);
  Model = std::make_unique<TZorvObject>();
  SetUpEditorModel(*Model, File);
  ShowLoadedModel(State, *Model);
  State.ShowSphere = true;
  State.SphereCenter[0] = 0.02f;
  State.SphereCenter[1] = 0.01f;
  State.SphereDiameter = 0.08f;
  const TFramePixels Window = Paint();

  TPictureRequest Request;
  Request.ModelFile = File;
  Request.Width = W;
  Request.Height = H;
  Request.ShowSphere = true;
  const TFramePixels Picture = RenderModelFrame(Request);
  EXPECT_TRUE(Picture.Rgba == Window.Rgba);
}

// ---- Show Names ----

TEST_F(SceneTest, NamesOfMarkersThatLineUpAreAllReadableAndNoneLeavesTheDrawing) {
  // Four markers on one spot of the back view, and one whose name is wider
  // than the drawing.
  LoadNamed({{"GunLeft", 0, 0},
             {"GunRight", 0, 0},
             {"EngineLeft", 0, 0},
             {"EngineRight", 0, 0},
             {std::string(200, 'W'), 0.1f, 0.1f}});
  State.SelectedHardpoints = {3};
  const std::vector<TNameLabel> Labels = HardpointNameLabels(State, W, H);
  ASSERT_EQ(Labels.size(), 4u);
  EXPECT_EQ(Labels.back().Hardpoint, 3);  // the selected one, placed first: to the right
  EXPECT_GT(Labels.back().X, PixelX(0));
  for (size_t A = 0; A < Labels.size(); ++A) {
    const TNameLabel& L = Labels[A];
    EXPECT_TRUE(L.X >= 0 && L.Y >= 0 && L.X + L.Box.Width < W && L.Y + L.Box.Height < H) << L.Hardpoint;
    for (size_t B = A + 1; B < Labels.size(); ++B) {
      const TNameLabel& M = Labels[B];
      EXPECT_FALSE(L.X <= M.X + M.Box.Width && M.X <= L.X + L.Box.Width && L.Y <= M.Y + M.Box.Height &&
                   M.Y <= L.Y + L.Box.Height)
          << L.Hardpoint << " meets " << M.Hardpoint;
    }
  }
  // Laid out once for as many repaints as show the same names.
  THardpointNameLayer Names;
  State.Names = &Names;
  Paint();
  EXPECT_EQ(Names.Layouts(), 1);
  State.SelectedHardpoints = {0};
  Paint();
  EXPECT_EQ(Names.Layouts(), 2);
}

TEST_F(SceneTest, NamesOffPaintTheViewsAloneWhereverThePointerIs) {
  LoadNamed({{"Gun", -0.05f, 0.05f}, {"Tail", 0.05f, -0.05f}});
  State.Layout = FindViewLayout("3-Views");
  State.ShowNames = false;
  State.Pointer = {{int(PixelX(-0.2)), int(PixelY(0.2))}};
  const TFramePixels Off = Paint();
  // The views as they were painted before there were names.
  for (int Tick = 0; Tick < 2; ++Tick)
    PaintScene(State, {[this](GLUquadric* Quadric) { DrawSphere(State, Quadric); }, [this] { DrawModel(State); }});
  EXPECT_TRUE(GrabFrame(W, H).Rgba == Off.Rgba);
  State.ShowNames = true;
  EXPECT_FALSE(Paint().Rgba == Off.Rgba);
}

TEST_F(SceneTest, NamesStandBesideTheirMarkersInEveryViewTheSelectedInYellow) {
  LoadNamed({{"Gun", -0.05f, 0.05f}, {"Tail", 0.05f, -0.05f}});
  State.SelectedHardpoints = {1};
  const TFramePixels F = Paint();
  struct TName {
    double X, Y;  // the marker in the -1..1 square
    uint32_t Colour, NotColour;
  } Names[] = {{-0.2, 0.2, NameColour, Yellow}, {0.2, -0.2, Yellow, NameColour}};
  for (const TName& N : Names) {
    // Right of the marker, clear of its stub.
    const int X = int(PixelX(N.X)), Y = int(PixelY(N.Y));
    const TBlob Name = Find(F, N.Colour, X + 4, Y - 12, X + 60, Y + 12);
    ASSERT_GT(Name.Count, 0) << N.X;
    EXPECT_GE(Name.X0, X + 7) << N.X;
    EXPECT_LE(Name.X0, X + 10) << N.X;
    EXPECT_NEAR(Name.CenterY(), Y, 4) << N.X;
    EXPECT_EQ(Find(F, N.NotColour, X + 4, Y - 12, X + 60, Y + 12).Count, 0) << N.X;
  }

  State.Layout = FindViewLayout("3-Views");
  const TFramePixels Views = Paint();
  EXPECT_GT(Find(Views, NameColour, W / 2, H / 2, W, H).Count, 0) << "back";
  EXPECT_GT(Find(Views, NameColour, W / 2, 0, W, H / 2).Count, 0) << "top";
  EXPECT_GT(Find(Views, NameColour, 0, H / 2, W / 2, H).Count, 0) << "side";
  EXPECT_EQ(Find(Views, NameColour, 0, 0, W / 2, H / 2).Count, 0);
}

TEST_F(SceneTest, ANameOverTheMarkerUnderThePointerMovesAsideWhileThePointerIsThere) {
  // The long name of the marker at (-0.2, 0) runs over the marker "B" 24
  // pixels to its right; B's own name finds its place a line above.
  LoadNamed({{"LongNameOverB", -0.05f, 0}, {"B", -0.02f, 0}});
  const int AX = int(PixelX(-0.2)), BX = int(PixelX(-0.08)), Y = int(PixelY(0));
  auto NameOverB = [&](const TFramePixels& F) { return Find(F, NameColour, BX - 6, Y - 6, BX + 7, Y + 7).Count; };
  auto NameLeftOfA = [&](const TFramePixels& F) { return Find(F, NameColour, 0, Y - 6, AX - 6, Y + 7).Count; };
  auto NameOfB = [&](const TFramePixels& F) { return Find(F, NameColour, BX + 7, Y - 6, BX + 20, Y + 7).Count; };
  const TFramePixels Elsewhere = Paint();
  EXPECT_GT(NameOverB(Elsewhere), 0) << "pointer elsewhere";
  EXPECT_EQ(NameLeftOfA(Elsewhere), 0) << "pointer elsewhere";
  const std::vector<TNameLabel> Labels = HardpointNameLabels(State, W, H);
  ASSERT_EQ(Labels.size(), 2u);
  EXPECT_EQ(Labels[1].Y, Labels[0].Y - 13) << "B's name a line above the long one";
  State.Pointer = {{BX + 2, Y - 3}};
  const TFramePixels OverB = Paint();
  EXPECT_EQ(NameOverB(OverB), 0) << "pointer on B";
  EXPECT_GT(NameLeftOfA(OverB), 0) << "the long name left of its marker";
  EXPECT_GT(NameOfB(OverB), 0) << "B's own name beside it";
  State.Pointer = {{AX, Y}};
  EXPECT_GT(NameOverB(Paint()), 0) << "pointer on the long name's own marker";

  // The window repaints only when the pointer reaches or leaves a marker.
  TKeptScene Kept;
  Kept.Paint(State, W, H);
  State.Pointer = {{AX, Y + 40}};
  EXPECT_TRUE(Kept.Changed(State, W, H)) << "left the marker";
  Kept.Paint(State, W, H);
  State.Pointer = {{AX + 30, Y + 60}};
  EXPECT_FALSE(Kept.Changed(State, W, H)) << "moved where no marker is";
  State.Pointer = {{BX, Y}};
  EXPECT_TRUE(Kept.Changed(State, W, H)) << "reached B";
  Kept.Release();
}
