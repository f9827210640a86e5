// The sphere fitted to a model: which vertices count, and the rounding to
// stored floats that must keep every stored vertex inside.
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "editor/SphereFit.h"
#include "model/SampleModel.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/TempDir.h"

namespace {

// |P - C|^2 <= R^2 in extended precision, exact for floats of similar size.
bool Encloses(const TFittedSphere& S, const TPoint3& P) {
  const long double DX = P.X - S.Center[0], DY = P.Y - S.Center[1], DZ = P.Z - S.Center[2];
  return DX * DX + DY * DY + DZ * DZ <= (long double)S.Radius * S.Radius;
}

TEST(SphereFit, OutwardRoundingEnclosesEveryStoredPointAndStaysTight) {
  std::mt19937 Random(3);
  std::uniform_real_distribution<float> Coordinate(-100, 100);
  for (int Round = 0; Round < 200; ++Round) {
    std::vector<TPoint3> Points(size_t(2 + Round % 40));
    for (TPoint3& P : Points) P = {Coordinate(Random), Coordinate(Random), Coordinate(Random)};
    const TBall Ball = SmallestEnclosingSphere(Points);
    const TFittedSphere S = RoundSphereOutward(Ball, Points);
    for (const TPoint3& P : Points) ASSERT_TRUE(Encloses(S, P)) << "round " << Round;
    EXPECT_LE(S.Radius, Ball.Radius * (1 + 1e-6));
  }
  // A radius that is a float already stays exact: a point on the boundary
  // is not outside it.
  const std::vector<TPoint3> Pair{{-1, 0, 0}, {1, 0, 0}};
  EXPECT_EQ(RoundSphereOutward(SmallestEnclosingSphere(Pair), Pair).Radius, 1.0f);
  const std::vector<TPoint3> Far{{-3e38, -3e38, 0}, {3e38, 3e38, 0}};
  EXPECT_EQ(MessageOf([&] { RoundSphereOutward(SmallestEnclosingSphere(Far), Far); }), "Floating point overflow");
}

TSampleMesh Triangle(TVector A, TVector B, TVector C) {
  TSampleMesh Mesh;
  Mesh.AddPolygon({A, B, C});
  return Mesh;
}

TEST(ModelSphereFit, EveryLevelByDefaultOneLevelOnRequest) {
  TempDir Dir;
  const std::string File = Dir.File("model.iff");
  // Level 0 spans -1..1 on x; level 1 lies beyond, at x = 3.
  WriteLodModel(File, {Triangle({-1, 0, 0}, {1, 0, 0}, {0, 0, 0.5f}), Triangle({3, 0, 0}, {3, 0.5f, 0}, {3, 0, 0.5f})},
                {}, nullptr);
  EXPECT_EQ(FitModelSphere(File, 0).Radius, 1.0f);
  EXPECT_GE(FitModelSphere(File, std::nullopt).Radius, 2.0f);  // -1 to 3 on x
  EXPECT_EQ(FitModelSphere(File, 7).Center[0], 3.0f);          // clamped as the loader clamps
}

TEST(ModelSphereFit, OnlyVerticesOfDrawnFacesCountAndBadOnesAreRefused) {
  TempDir Dir;
  const std::string File = Dir.File("model.iff");
  TSampleMesh Mesh = Triangle({-1, 0, 0}, {1, 0, 0}, {0, 0, 0.5f});
  // A vertex nobody uses, and one used only by a face the drawing skips (its
  // face-vertices run past the end).
  Mesh.Vertices.push_back({50, 0, 0});
  Mesh.Vertices.push_back({0, 80, 0});
  Mesh.FaceVertices.push_back({int32_t(Mesh.Vertices.size() - 1), 0, 0, 0});
  TFace Broken = Mesh.Faces[0];
  Broken.First = int32_t(Mesh.FaceVertices.size() - 1);
  Broken.Count = 2;
  Mesh.Faces.push_back(Broken);
  WriteSingleMeshModel(File, Mesh, {}, nullptr);
  EXPECT_EQ(FitModelSphere(File, std::nullopt).Radius, 1.0f);

  Mesh.Vertices[1].Y = std::numeric_limits<float>::quiet_NaN();
  WriteLodModel(File, {Mesh}, {}, nullptr);
  EXPECT_EQ(MessageOf([&] { FitModelSphere(File, std::nullopt); }),
            "FitModelSphere: vertex 1 of level 0000 is not finite");
  WriteSingleMeshModel(File, TSampleMesh(), {}, nullptr);
  EXPECT_EQ(MessageOf([&] { FitModelSphere(File, std::nullopt); }),
            "FitModelSphere: the model has no faces to enclose");
}

}  // namespace
