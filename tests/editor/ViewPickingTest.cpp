// The drawing's geometry without the drawing: where the views put a model
// point, that a drag step moves a hardpoint by exactly that step on the
// screen in every view, picking a marker and the vertex nearest the pointer.
#include <gtest/gtest.h>

#include <cmath>

#include "editor/ViewPicking.h"
#include "model/EditorModel.h"
#include "model/SampleModel.h"
#include "model/TZorvObject.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int W = 528, H = 336;  // not square, as the window

class ViewPickingTest : public ::testing::Test {
protected:
  void SetUp() override {
    WriteSampleModel(File);
    SetUpEditorModel(Model, File, 1);
    ShowLoadedModel(State, Model);
  }
  TPixel Pixel(const TModelPoint& P, int View = 0) {
    return ProjectToPixel(ViewTransforms(State)[size_t(View)], P, W, H);
  }

  TempDir Dir;
  std::string File = Dir.File("sample.iff");
  TZorvObject Model{TDisplayListPolicy::None};
  TSceneState State;
};

TEST_F(ViewPickingTest, EachLayoutShowsTheAxesWhereTheDrawingDoes) {
  const float Unit = 0.4f / Model.Scale();  // 0.4 of the square at zoom 1
  struct Case {
    int Layout, View;
    TModelPoint Axis;
    double DX, DY;  // where the axis point lands, from the view's origin, in pixels
  };
  const Case Cases[] = {
      {3, 0, {Unit, 0, 0}, 0.2 * W, 0}, {3, 0, {0, Unit, 0}, 0, -0.2 * H},  // back: x right, y up
      {1, 0, {0, 0, Unit}, 0, 0.2 * H},                                     // top: z down
      {2, 0, {0, 0, Unit}, 0.2 * W, 0},                                     // side: z right
      {0, 1, {0, 0, Unit}, 0, 0.2 * H},                                     // 3-views, upper right is top
  };
  const double Origins[4][3][2] = {
      {{0.75, 0.75}, {0.75, 0.25}, {0.25, 0.75}}, {{0.5, 0.5}}, {{0.5, 0.5}}, {{0.5, 0.5}}};
  for (const Case& C : Cases) {
    State.Layout = C.Layout;
    const TPixel O = Pixel({0, 0, 0}, C.View), A = Pixel(C.Axis, C.View);
    EXPECT_NEAR(O.X, Origins[C.Layout][C.View][0] * W, 1e-6) << C.Layout;
    EXPECT_NEAR(O.Y, Origins[C.Layout][C.View][1] * H, 1e-6) << C.Layout;
    EXPECT_NEAR(A.X - O.X, C.DX, 0.01) << C.Layout;
    EXPECT_NEAR(A.Y - O.Y, C.DY, 0.01) << C.Layout;
  }
}

TEST_F(ViewPickingTest, ADragStepMovesThePointByThatStepOnTheScreenAndNotInDepth) {
  const TModelPoint Start = {0.3f, -0.2f, 0.5f};
  for (int Layout = 0; Layout < ViewLayoutCount; ++Layout)
    for (const std::array<float, 3>& Angles : {std::array<float, 3>{0, 0, 0}, {30, -45, 0}})
      for (float Zoom : {1.0f, 2.6f}) {
        State.Layout = Layout;
        State.Scale = Zoom;
        for (int I = 0; I < 3; ++I) State.Angles[I] = Angles[size_t(I)];
        const std::vector<TViewTransform> Views = ViewTransforms(State);
        for (size_t V = 0; V < Views.size(); ++V) {
          const TModelPoint Moved = MoveInViewPlane(Views[V], Start, 17, -9, W, H);
          const TPixel From = ProjectToPixel(Views[V], Start, W, H), To = ProjectToPixel(Views[V], Moved, W, H);
          EXPECT_NEAR(To.X - From.X, 17, 1e-3) << Layout << " " << V;
          EXPECT_NEAR(To.Y - From.Y, -9, 1e-3) << Layout << " " << V;
          double Depth = 0;
          for (int I = 0; I < 3; ++I) Depth += Views[V].Rotation[2][I] * (Moved[size_t(I)] - Start[size_t(I)]);
          EXPECT_NEAR(Depth, 0, 1e-5);
        }
      }
  // A view that shows nothing moves nothing.
  EXPECT_EQ(MoveInViewPlane(TViewTransform{}, Start, 5, 5, W, H), Start);
}

TEST_F(ViewPickingTest, APickFindsTheNearestMarkerWithinReachOnly) {
  State.Layout = 0;
  ASSERT_GE(Model.HardpointCount(), 2);
  const TModelPoint Second = HardpointOrigin(Model.GetHardpoint(1)->Matrix);
  const TPixel At = Pixel(Second, 0);  // the back view: the guns lie apart
  const auto Pick = PickHardpoint(State, W, H, At.X + 2, At.Y, 6);
  ASSERT_TRUE(Pick);
  EXPECT_EQ(Pick->Hardpoint, 1);
  EXPECT_NEAR(Pick->Distance, 2, 1e-6);
  EXPECT_FALSE(PickHardpoint(State, W, H, 2, 2, 6));  // the empty upper left corner
  State.SelectedHardpoints = {0};
  if (const auto OnlyFirst = PickHardpoint(State, W, H, At.X, At.Y, 6, /*SelectedOnly=*/true)) {
    EXPECT_EQ(OnlyFirst->Hardpoint, 0);
  }
  // Without a model, or before its fit is known, nothing can be picked.
  State.Model = nullptr;
  EXPECT_FALSE(PickHardpoint(State, W, H, At.X, At.Y, 6));
}

TEST_F(ViewPickingTest, TheNearestVertexIsTheOneUnderThePointer) {
  State.Layout = 3;
  const TViewTransform View = ViewTransforms(State)[0];
  const TMeshData& Mesh = Model.Mesh();
  ASSERT_GT(Mesh.VertexCount, 10);
  for (int32_t I : {0, Mesh.VertexCount / 2, Mesh.VertexCount - 1}) {
    const TVector& V = Mesh.Vertices.Data()[I];
    const TPixel Under = ProjectToPixel(View, {V.X, V.Y, V.Z}, W, H);
    const auto Found = NearestVertexOnScreen(View, Mesh, W, H, Under.X + 0.2, Under.Y - 0.2);
    ASSERT_TRUE(Found);
    const TPixel Got = ProjectToPixel(View, *Found, W, H);
    EXPECT_LE(std::hypot(Got.X - Under.X - 0.2, Got.Y - Under.Y + 0.2), std::hypot(0.2, 0.2) + 1e-9);
  }
  EXPECT_FALSE(NearestVertexOnScreen(View, TMeshData{}, W, H, 0, 0));
}

}  // namespace
