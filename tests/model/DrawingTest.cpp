// Drawing on a real headless context: what OpenGL receives (feedback mode),
// the state each operation leaves, the display list, and pixels where the
// look matters.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <cstring>

#include "gl/HeadlessContext.h"
#include "model/ModelOutline.h"
#include "model/TZorvObject.h"
#include "tests/model/GlCapture.h"
#include "tests/model/ModelFixtures.h"
#include "tests/support/ErrorMessage.h"

using namespace ModelFixtures;
using GlCapture::Capture;
using GlCapture::TItem;

namespace {

const std::array<float, 4> White{1, 1, 1, 1};
const std::array<float, 4> Red{1, 0, 0, 1};
const std::array<float, 4> Yellow{1, 1, 0, 1};

class ModelDrawing : public testing::Test {
protected:
  THeadlessGL Context{GlCapture::Side, GlCapture::Side};
  TempDir Dir;

  // A model loaded from a single-mesh file of Mesh and Hardpoints, mesh kept.
  std::unique_ptr<TZorvObject> Load(const TSampleMesh& Mesh, const std::vector<TSampleHardpoint>& Hardpoints = {},
                                    bool KeepData = true) {
    const std::string File = Dir.File("model.iff");
    WriteSingleMeshModel(File, Mesh, Hardpoints, nullptr);
    auto Model = std::make_unique<TZorvObject>();
    Model->SetKeepData(KeepData);
    Model->SetWireframe(true);
    Model->LoadFromFile(File);
    glColor3f(1, 1, 1);
    return Model;
  }
  // The model's faces, then the markers of the hardpoints it was loaded
  // with, Selected highlighted, as the editor's scene draws them.
  static void DrawWithMarkers(TZorvObject& Model, const std::vector<int32_t>& Selected) {
    Model.DrawDirect();
    float Length = 0;
    Model.GetMaxSize(Length);
    DrawHardpointMarkers(Model.Hardpoints(), Selected, Length);
  }
};

// The polygons of a wireframe drawing: each outline starts with a line-reset
// token; a polygon's corners are the first points of its lines, in order.
std::vector<std::vector<GlCapture::TPoint>> Outlines(const std::vector<TItem>& Items,
                                                     const std::array<float, 4>& Colour = White) {
  std::vector<std::vector<GlCapture::TPoint>> Loops;
  for (const TItem& Item : Items) {
    if (Item.Token != GL_LINE_TOKEN && Item.Token != GL_LINE_RESET_TOKEN) continue;
    if (Item.Points[0].Colour != Colour) continue;
    if (Item.Token == GL_LINE_RESET_TOKEN || Loops.empty()) Loops.emplace_back();
    Loops.back().push_back(Item.Points[0]);
  }
  return Loops;
}

std::vector<TItem> LinesOf(const std::vector<TItem>& Items, const std::array<float, 4>& Colour) {
  std::vector<TItem> Lines;
  for (const TItem& Item : Items)
    if ((Item.Token == GL_LINE_TOKEN || Item.Token == GL_LINE_RESET_TOKEN) && Item.Points[0].Colour == Colour)
      Lines.push_back(Item);
  return Lines;
}

bool Near(const GlCapture::TPoint& P, const TVector& V) {
  return std::fabs(P.X - V.X) < 1e-4f && std::fabs(P.Y - V.Y) < 1e-4f && std::fabs(P.Z - V.Z) < 1e-4f;
}

testing::AssertionResult SameCorners(const std::vector<GlCapture::TPoint>& Got, const std::vector<TVector>& Want) {
  if (Got.size() != Want.size())
    return testing::AssertionFailure() << Got.size() << " corners instead of " << Want.size();
  for (size_t I = 0; I < Want.size(); ++I)
    if (!Near(Got[I], Want[I]))
      return testing::AssertionFailure() << "corner " << I << " is (" << Got[I].X << ", " << Got[I].Y << ", "
                                         << Got[I].Z << ")";
  return testing::AssertionSuccess();
}

// The same corners in the same cyclic order, from any starting corner (OpenGL
// may begin a quadrilateral's outline at its last corner).
testing::AssertionResult SameCycle(const std::vector<GlCapture::TPoint>& Got, const std::vector<TVector>& Want) {
  for (size_t Start = 0; Start < Want.size(); ++Start) {
    std::vector<TVector> Rotated;
    for (size_t I = 0; I < Want.size(); ++I) Rotated.push_back(Want[(Start + I) % Want.size()]);
    if (SameCorners(Got, Rotated)) return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << "corners out of order";
}

std::array<float, 16> Placed(const TVector& Position, bool ZAlongX) {
  if (ZAlongX)  // local Z along model +X, local X along model -Z
    return {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, Position.X, Position.Y, Position.Z, 1};
  return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, Position.X, Position.Y, Position.Z, 1};
}

TEST_F(ModelDrawing, FacesAreSentLastToFirstWithTheirCornersReversed) {
  TStoredMesh Mesh;
  Mesh.Face({{0, 0, 0}, {0.5f, 0, 0}, {0.5f, 0.5f, 0}});
  Mesh.Face({{-0.5f, -0.5f, 0.25f}, {-0.25f, -0.5f, 0.25f}, {-0.25f, -0.25f, 0.25f}, {-0.5f, -0.25f, 0.25f}});
  auto Model = Load(Mesh);
  auto Loops = Outlines(Capture([&] { Model->DrawDirect(); }));
  ASSERT_EQ(Loops.size(), 2u);
  EXPECT_TRUE(SameCorners(
      Loops[0], {{-0.5f, -0.25f, 0.25f}, {-0.25f, -0.25f, 0.25f}, {-0.25f, -0.5f, 0.25f}, {-0.5f, -0.5f, 0.25f}}));
  EXPECT_TRUE(SameCorners(Loops[1], {{0.5f, 0.5f, 0}, {0.5f, 0, 0}, {0, 0, 0}}));
}

TEST_F(ModelDrawing, EachFaceSendsTheNormalItNames) {
  TStoredMesh Mesh;
  Mesh.Face({{0, 0, 0}, {0.5f, 0, 0}, {0.5f, 0.5f, 0}}, {1, 0, 0});
  Mesh.Face({{0, 0, 0}, {0.5f, 0, 0}, {0.5f, 0.5f, 0}}, {0, 1, 0});
  std::swap(Mesh.Faces[0].Normal, Mesh.Faces[1].Normal);
  auto Model = Load(Mesh);
  Model->DrawDirect();
  GLfloat Normal[3];
  glGetFloatv(GL_CURRENT_NORMAL, Normal);  // face 0 is drawn last
  EXPECT_EQ(Normal[0], 0.0f);
  EXPECT_EQ(Normal[1], 1.0f);
}

TEST_F(ModelDrawing, FacesWhoseIndicesLeaveTheArraysAreSkipped) {
  TStoredMesh Mesh;
  Mesh.Face({{0, 0, 0}, {0.5f, 0, 0}, {0.5f, 0.5f, 0}});
  for (int I = 0; I < 4; ++I) Mesh.Face({{-0.5f, 0, 0}, {-0.25f, 0, 0}, {-0.25f, 0.25f, 0}});
  Mesh.Faces[1].Normal = -1;
  Mesh.FaceVertices[size_t(Mesh.Faces[2].First) + 1].Vertex = int32_t(Mesh.Vertices.size());
  Mesh.Faces[3].First = 0x7FFFFFFE;
  Mesh.Faces[4].Count = 0x7FFFFFFF;
  auto Model = Load(Mesh);
  auto Loops = Outlines(Capture([&] { Model->DrawDirect(); }));
  ASSERT_EQ(Loops.size(), 1u);
  EXPECT_TRUE(SameCorners(Loops[0], {{0.5f, 0.5f, 0}, {0.5f, 0, 0}, {0, 0, 0}}));
}

TEST_F(ModelDrawing, FitScaleBringsTheLargestExtentToTwiceTheFitSize) {
  auto Model = Load(Square(1));  // extent 2
  Model->SetFitSize(0.4f);
  auto Loops = Outlines(Capture([&] { Model->DrawDirect(); }));
  EXPECT_EQ(Model->Scale(), 0.4f);
  ASSERT_EQ(Loops.size(), 1u);
  EXPECT_TRUE(SameCorners(Loops[0], {{-0.4f, 0.4f, 0}, {0.4f, 0.4f, 0}, {0.4f, -0.4f, 0}, {-0.4f, -0.4f, 0}}));
  // The scale stays on the current matrix: the caller brackets the drawing.
  GLfloat Matrix[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, Matrix);
  EXPECT_FLOAT_EQ(Matrix[0], 0.4f);
}

TEST_F(ModelDrawing, FitSizeZeroScalesNothingAndKeepsTheLastScale) {
  auto Model = Load(Square(0.5f));
  auto Loops = Outlines(Capture([&] { Model->DrawDirect(); }));
  EXPECT_EQ(Model->Scale(), 0.0f);
  ASSERT_EQ(Loops.size(), 1u);
  EXPECT_TRUE(Near(Loops[0][0], {-0.5f, 0.5f, 0}));
  Model->SetFitSize(0.25f);
  Model->DrawDirect();
  Model->SetFitSize(0);
  Model->DrawDirect();
  EXPECT_EQ(Model->Scale(), 0.5f);
}

TEST_F(ModelDrawing, AFlatPointMeshDrawsUnscaledAndAnEmptyOneGetsASmallNegativeScale) {
  TStoredMesh Point;
  Point.Face({{0.25f, 0.25f, 0.25f}, {0.25f, 0.25f, 0.25f}, {0.25f, 0.25f, 0.25f}});
  auto Model = Load(Point);
  Model->SetFitSize(0.4f);
  EXPECT_NO_THROW(Model->DrawDirect());
  EXPECT_EQ(Model->Scale(), 1.0f);

  TZorvObject Empty(TDisplayListPolicy::None);
  EXPECT_FLOAT_EQ(Empty.UpdateFitScale(0.4f), -0.00008f);
}

TEST_F(ModelDrawing, HardpointAxesShowTheirLocalZInRedThenTheSelectedOneInYellow) {
  // Largest extent 10: lines 1 unit long, stubs 0.1.
  auto Model = Load(Square(5), {{"A", Placed({1, 2, 3}, false)}, {"B", Placed({-2, 0, 0}, true)}});
  auto Items = Capture([&] { DrawWithMarkers(*Model, {1}); }, 10);
  auto RedLines = LinesOf(Items, Red);
  ASSERT_EQ(RedLines.size(), 4u);
  EXPECT_TRUE(Near(RedLines[0].Points[0], {1, 2, 3}));
  EXPECT_TRUE(Near(RedLines[0].Points[1], {1, 2, 4}));
  EXPECT_TRUE(Near(RedLines[1].Points[1], {1, 2, 3.1f}));
  EXPECT_TRUE(Near(RedLines[2].Points[0], {-2, 0, 0}));
  EXPECT_TRUE(Near(RedLines[2].Points[1], {-1, 0, 0}));
  EXPECT_TRUE(Near(RedLines[3].Points[1], {-1.9f, 0, 0}));
  auto YellowLines = LinesOf(Items, Yellow);
  ASSERT_EQ(YellowLines.size(), 2u);
  EXPECT_TRUE(Near(YellowLines[0].Points[1], {-1, 0, 0}));
  // The faces come first, the yellow axis last.
  EXPECT_EQ(Items.front().Points[0].Colour, White);
  EXPECT_EQ(Items.back().Points[0].Colour, Yellow);
  GLfloat Width = 0;
  glGetFloatv(GL_LINE_WIDTH, &Width);
  EXPECT_EQ(Width, 1.0f);
}

TEST_F(ModelDrawing, NoYellowAxisWithoutAnExistingSelectedHardpoint) {
  auto Model = Load(Square(5), {{"A", Placed({0, 0, 0}, false)}});
  for (const std::vector<int32_t>& Selected : {std::vector<int32_t>{}, std::vector<int32_t>{1}}) {
    glColor3f(1, 1, 1);  // the axes leave their colour behind
    auto Items = Capture([&] { DrawWithMarkers(*Model, Selected); }, 10);
    EXPECT_EQ(LinesOf(Items, Red).size(), 2u);
    EXPECT_TRUE(LinesOf(Items, Yellow).empty()) << "selected " << Selected.size();
  }
  auto Bare = Load(Square(5));
  auto Items = Capture([&] { Bare->DrawDirect(); }, 10);
  EXPECT_EQ(LinesOf(Items, White).size(), Items.size());
}

TEST_F(ModelDrawing, TheStubAtAHardpointsOriginIsFivePixelsThickAndItsLineOne) {
  // Extent 20 (the square lies outside the view): a line 2 units long along
  // +X from the centre, its stub 0.2 units (25 pixels).
  auto Model = Load(Square(10), {{"A", Placed({0, 0, 0}, true)}});
  GlCapture::SetView(1);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  DrawWithMarkers(*Model, {});
  const std::vector<uint8_t> Picture = Context.ReadPixels();
  auto RedRowsInColumn = [&](int X) {
    int Rows = 0;
    for (int Y = 0; Y < GlCapture::Side; ++Y) {
      const uint8_t* P = &Picture[(size_t(Y) * GlCapture::Side + size_t(X)) * 4];
      if (P[0] == 255 && P[1] == 0 && P[2] == 0) ++Rows;
    }
    return Rows;
  };
  EXPECT_EQ(RedRowsInColumn(128 + 12), 5);
  EXPECT_EQ(RedRowsInColumn(128 + 80), 1);
}

TEST_F(ModelDrawing, OutlinesAreDrawnInTheCurrentColour) {
  auto Model = Load(Square(0.5f));
  GlCapture::SetView(1);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor3f(1, 1, 1);
  Model->DrawDirect();
  const std::vector<uint8_t> Picture = Context.ReadPixels();
  auto At = [&](int X, int Y) { return Picture[(size_t(Y) * GlCapture::Side + size_t(X)) * 4 + 1]; };
  // The left edge at x = -0.5 lies between pixel columns 63 and 64; the
  // middle stays black.
  EXPECT_EQ(std::max(At(63, 128), At(64, 128)), 255);
  EXPECT_EQ(At(128, 128), 0);
}

struct TStateCase {
  const char* Name;
  std::function<void(TZorvObject&)> Draw;
  GLint PolygonMode;
  bool Texture, Depth, Cull;
};

class ModelDrawingState : public ModelDrawing, public testing::WithParamInterface<TStateCase> {};

TEST_P(ModelDrawingState, EachOperationLeavesItsState) {
  auto Model = Load(Square(0.5f));
  // Start from the opposite of what the operation must leave.
  glPolygonMode(GL_FRONT_AND_BACK, GetParam().PolygonMode == GL_LINE ? GL_FILL : GL_LINE);
  auto Set = [](GLenum Cap, bool On) { On ? glEnable(Cap) : glDisable(Cap); };
  Set(GL_TEXTURE_2D, !GetParam().Texture);
  Set(GL_DEPTH_TEST, !GetParam().Depth);
  Set(GL_CULL_FACE, !GetParam().Cull);
  GetParam().Draw(*Model);
  GLint Mode[2];
  glGetIntegerv(GL_POLYGON_MODE, Mode);
  EXPECT_EQ(Mode[0], GetParam().PolygonMode);
  EXPECT_EQ(Mode[1], GetParam().PolygonMode);
  EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D) == GL_TRUE, GetParam().Texture);
  EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST) == GL_TRUE, GetParam().Depth);
  EXPECT_EQ(glIsEnabled(GL_CULL_FACE) == GL_TRUE, GetParam().Cull);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ModelDrawingState,
    testing::Values(TStateCase{"WireframeDirect", [](TZorvObject& M) { M.DrawDirect(); }, GL_LINE, false, false, false},
                    TStateCase{"TexturedWireframeDirect",
                               [](TZorvObject& M) {
                                 M.SetTextured(true);
                                 M.DrawDirect();
                               },
                               GL_LINE, true, false, false},
                    TStateCase{"SolidDirect",
                               [](TZorvObject& M) {
                                 M.SetWireframe(false);
                                 M.DrawDirect();
                               },
                               GL_FILL, true, true, true},
                    TStateCase{"Points", [](TZorvObject& M) { M.DrawPoints(); }, GL_LINE, false, false, false},
                    TStateCase{"BoundingBox", [](TZorvObject& M) { M.DrawBoundingBox(); }, GL_LINE, false, true,
                               false}),
    [](const testing::TestParamInfo<TStateCase>& Info) { return std::string(Info.param.Name); });

TEST_F(ModelDrawing, TexturedOutlinesSendTextureCoordinatesAndKeepTheBoundTextureForNone) {
  TStoredMesh Mesh = Square(0.5f);
  Mesh.FaceVertices[0].S = 0.25f;  // the last corner sent
  Mesh.FaceVertices[0].T = 0.75f;
  auto Model = Load(Mesh);  // texture number 10000000: none
  glBindTexture(GL_TEXTURE_2D, 42);
  glTexCoord2f(9, 9);
  Model->DrawDirect();
  GLfloat Coords[4];
  glGetFloatv(GL_CURRENT_TEXTURE_COORDS, Coords);
  EXPECT_EQ(Coords[0], 9.0f);  // untextured: none sent
  Model->SetTextured(true);
  Model->DrawDirect();
  glGetFloatv(GL_CURRENT_TEXTURE_COORDS, Coords);
  EXPECT_EQ(Coords[0], 0.25f);
  EXPECT_EQ(Coords[1], 0.75f);
  GLint Bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &Bound);
  EXPECT_EQ(Bound, 42);
}

TEST_F(ModelDrawing, TexturedFacesBindTheirTexturesFromTheProcessWideList) {
  TStoredMesh Mesh;
  Mesh.Face({{0, 0, 0}, {0.5f, 0, 0}, {0.5f, 0.5f, 0}}, {0, 0, 1}, 22);  // drawn last
  Mesh.Face({{0, 0, 0}, {0.5f, 0, 0}, {0.5f, 0.5f, 0}}, {0, 0, 1}, 21);
  auto Model = Load(Mesh);
  Model->SetTextured(true);
  TextureList.Path = Dir.Path().string() + "/";
  TPalette Palette{};
  WriteMatFile(TextureFileName(TextureList.Path, 21), 1, 1, Palette, {0});
  EXPECT_EQ(MessageOf([&] { Model->DrawDirect(); }), TextureFileName(TextureList.Path, 22) + " not found!");
  EXPECT_EQ(TextureList.Numbers, (std::vector<int32_t>{21}));
  WriteMatFile(TextureFileName(TextureList.Path, 22), 1, 1, Palette, {0});
  Model->DrawDirect();
  GLint Bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &Bound);
  EXPECT_EQ(GLuint(Bound), TextureList.Textures[1]->TexName);  // texture 22's own name
  EXPECT_EQ(TextureList.Numbers, (std::vector<int32_t>{21, 22}));
  TextureList.Clear();
  TextureList.Path.clear();
}

TEST_F(ModelDrawing, PointsAreEveryVertexFromTheLastToTheFirst) {
  TStoredMesh Mesh;
  Mesh.Face({{0.125f, 0, 0}, {0.25f, 0, 0}});
  Mesh.Vertices.push_back({0.5f, 0.5f, 0});  // used by no face, drawn all the same
  auto Model = Load(Mesh);
  auto Items = Capture([&] { Model->DrawPoints(); });
  ASSERT_EQ(Items.size(), 3u);
  for (const TItem& Item : Items) EXPECT_EQ(Item.Token, GLenum(GL_POINT_TOKEN));
  EXPECT_TRUE(Near(Items[0].Points[0], {0.5f, 0.5f, 0}));
  EXPECT_TRUE(Near(Items[2].Points[0], {0.125f, 0, 0}));
}

TEST_F(ModelDrawing, TheBoundingBoxHasTwentyFourCornersAroundTheOriginAndKeepsTheMesh) {
  TStoredMesh Mesh;
  Mesh.Face({{0.25f, 0.25f, 0.25f}, {0.5f, 0.75f, 0.375f}});  // size 0.25, 0.5, 0.125
  auto Model = Load(Mesh, {}, /*KeepData=*/false);
  auto Loops = Outlines(Capture([&] { Model->DrawBoundingBox(); }));
  const float X = 0.125f, Y = 0.25f, Z = 0.0625f;
  const std::vector<std::vector<TVector>> Sides{
      {{-X, -Y, -Z}, {-X, Y, -Z}, {X, Y, -Z}, {X, -Y, -Z}}, {{-X, -Y, Z}, {-X, Y, Z}, {X, Y, Z}, {X, -Y, Z}},
      {{X, Y, Z}, {X, Y, -Z}, {X, -Y, -Z}, {X, -Y, Z}},     {{-X, Y, Z}, {-X, Y, -Z}, {-X, -Y, -Z}, {-X, -Y, Z}},
      {{X, Y, Z}, {X, Y, -Z}, {-X, Y, -Z}, {-X, Y, Z}},     {{X, -Y, Z}, {X, -Y, -Z}, {-X, -Y, -Z}, {-X, -Y, Z}}};
  ASSERT_EQ(Loops.size(), 6u);
  for (size_t S = 0; S < 6; ++S) EXPECT_TRUE(SameCycle(Loops[S], Sides[S])) << "side " << S;
  EXPECT_TRUE(Model->Mesh().Loaded);
}

TEST_F(ModelDrawing, WithoutKeepDataTheMeshLeavesAfterItsFacesAndIsReadAgain) {
  auto Model = Load(Square(5), {{"A", Placed({0, 0, 0}, false)}}, /*KeepData=*/false);
  auto Items = Capture([&] { Model->DrawDirect(); }, 10);
  EXPECT_FALSE(Model->Mesh().Loaded);
  // The markers are the scene's to draw, from the hardpoints it shows.
  EXPECT_TRUE(LinesOf(Items, Red).empty());
  EXPECT_EQ(Outlines(Items).size(), 1u);
  glColor3f(1, 1, 1);
  Items = Capture([&] { Model->DrawDirect(); }, 10);
  EXPECT_EQ(Outlines(Items).size(), 1u);
}

TEST_F(ModelDrawing, TheDisplayListReplaysWhatWasCompiledUntilSomethingMakesItDirty) {
  auto Model = Load(Square(5), {{"A", Placed({0, 0, 0}, false)}});
  Model->SetUseList(true);
  const uint32_t Name = Model->DisplayList();
  ASSERT_NE(Name, 0u);
  EXPECT_TRUE(Model->ListDirty());
  auto Items = Capture([&] { Model->Draw(); }, 10);
  EXPECT_FALSE(Model->ListDirty());
  EXPECT_EQ(glIsList(Name), GL_TRUE);
  EXPECT_EQ(Outlines(Items).size(), 1u);
  glColor3f(1, 1, 1);
  EXPECT_EQ(Outlines(Capture([&] { Model->Draw(); }, 10)).size(), 1u);
  EXPECT_FALSE(Model->ListDirty());
  Model->SetWireframe(true);
  EXPECT_TRUE(Model->ListDirty());
  glColor3f(1, 1, 1);
  EXPECT_EQ(Outlines(Capture([&] { Model->Draw(); }, 10)).size(), 1u);
  EXPECT_FALSE(Model->ListDirty());

  Model->DeleteDisplayList();
  EXPECT_TRUE(Model->ListDirty());
  EXPECT_EQ(Model->DisplayList(), Name);
  EXPECT_EQ(glIsList(Name), GL_FALSE);
  Model->Draw();
  EXPECT_EQ(glIsList(Name), GL_TRUE);
  Model.reset();
  EXPECT_EQ(glIsList(Name), GL_FALSE);
}

TEST_F(ModelDrawing, AFailedLoadInsideTheListLeavesOpenGLOutOfCompileMode) {
  auto Model = Load(Square(1));
  Model->SetUseList(true);
  Model->SetKeepData(false);
  std::filesystem::remove(Dir.File("model.iff"));
  EXPECT_THROW(Model->Draw(), Exception);
  GLint Compiling = -1;
  glGetIntegerv(GL_LIST_INDEX, &Compiling);
  EXPECT_EQ(Compiling, 0);
}

}  // namespace

TEST(LighterOutline, KeepsTheBorderFirstSpreadEvenlyWithinItsBudget) {
  // A strip of two quadrilaterals sharing one edge, which they draw one way
  // each; the other six edges are the border.
  TMeshData Mesh;
  const std::vector<TVector> Vertices{{0, 0, 0}, {1, 0, 0}, {3, 0, 0}, {0, 1, 0}, {1, 1, 0}, {3, 1, 0}};
  std::memcpy(Mesh.Vertices.Allocate(Vertices.size() * sizeof(TVector)), Vertices.data(),
              Vertices.size() * sizeof(TVector));
  Mesh.VertexCount = int32_t(Vertices.size());
  // As OutlineEdges lists them: the left quadrilateral, then the right.
  const std::vector<uint32_t> Edges{0, 1, 1, 4, 4, 3, 3, 0, 1, 2, 2, 5, 5, 4, 4, 1};
  struct TCase {
    size_t Budget;
    std::vector<uint32_t> Kept;
  };
  const TCase Cases[] = {
      {8, Edges},                                       // within the budget: all of it
      {7, {0, 1, 1, 4, 4, 3, 3, 0, 1, 2, 2, 5, 5, 4}},  // each edge once
      {6, {0, 1, 4, 3, 3, 0, 1, 2, 2, 5, 5, 4}},        // the border alone
      {2, {0, 1, 1, 2}},                                // every fourth edge of the border
  };
  for (const TCase& C : Cases) EXPECT_EQ(LighterEdges(Mesh, Edges, C.Budget), C.Kept) << C.Budget;
}
