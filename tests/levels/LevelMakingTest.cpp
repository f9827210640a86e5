// Levels made from one level's mesh: the rules each made level keeps, on
// meshes built in code.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <tuple>

#include "levels/LevelMaking.h"
#include "levels/LevelTable.h"
#include "tests/levels/LevelMeshes.h"

namespace {

std::vector<TMadeLevel> Make(const TModelMesh& Mesh, int32_t Levels, double Ratio = 0.5) {
  TLevelOptions Options;
  Options.Levels = Levels;
  Options.Ratio = Ratio;
  return MakeLevels(Mesh, Options);
}

// Every face's corners, each corner's place and texture coordinates, its own
// unit normal, and the side it faces.
void ExpectSoundFaces(const TModelMesh& Mesh, float FacingY) {
  ASSERT_EQ(Mesh.Normals.size(), Mesh.Faces.size());
  for (size_t F = 0; F < Mesh.Faces.size(); ++F) {
    const TFace& Face = Mesh.Faces[F];
    ASSERT_EQ(Face.Normal, int32_t(F));
    ASSERT_GE(Face.Count, 3);
    const TVector& N = Mesh.Normals[F];
    EXPECT_NEAR(std::sqrt(N.X * N.X + N.Y * N.Y + N.Z * N.Z), 1.0, 1e-6);
    EXPECT_GT(N.Y * FacingY, 0) << "face " << F;
    for (int32_t C = Face.First; C < Face.First + Face.Count; ++C) {
      const TFaceVertex& Corner = Mesh.FaceVertices[size_t(C)];
      const TVector& P = Mesh.Vertices[size_t(Corner.Vertex)];
      ASSERT_EQ(Corner.S, P.X);
      ASSERT_EQ(Corner.T, P.Z);
    }
  }
}

std::set<std::tuple<float, float, float>> BorderPlaces(const TModelMesh& Mesh) {
  std::set<std::tuple<float, float, float>> Places;
  for (const TVector& P : Mesh.Vertices)
    if (std::fabs(P.X) == 1 || std::fabs(P.Z) == 1) Places.emplace(P.X, P.Y, P.Z);
  return Places;
}

TEST(LevelMaking, EachLevelAimsAtRatioTimesTheOneBeforeAndKeepsTheRules) {
  const TModelMesh Grid = WavyGrid(40, 40);
  const std::vector<TMadeLevel> Made = Make(Grid, 4);
  ASSERT_EQ(Made.size(), 3u);
  int64_t Before = int64_t(Grid.Faces.size());
  for (const TMadeLevel& Level : Made) {
    EXPECT_EQ(Level.Target, LevelTarget(Before, 0.5));
    const int64_t Faces = int64_t(Level.Mesh.Faces.size());
    EXPECT_TRUE(Faces <= Level.Target || Level.Short());
    EXPECT_LT(Faces, Before);
    EXPECT_LE(Level.Error, 0.02f);
    ExpectSoundFaces(Level.Mesh, 1);
    // The borders stay where they were: every place on them is kept.
    for (const auto& Place : BorderPlaces(Grid)) EXPECT_EQ(BorderPlaces(Level.Mesh).count(Place), 1u);
    Before = Faces;
  }
}

TEST(LevelMaking, FacesOfDifferentTexturesNeverMergeAndKeepTheirCoordinates) {
  // Texture 1 left of x = 0, texture 2 right of it.
  const TModelMesh Grid = WavyGrid(40, 40, [](int Column) { return Column < 20 ? 1 : 2; });
  for (const TMadeLevel& Level : Make(Grid, 4)) {
    ExpectSoundFaces(Level.Mesh, 1);
    EXPECT_LT(Level.Mesh.Faces.size(), Grid.Faces.size());
    for (const TFace& Face : Level.Mesh.Faces)
      for (int32_t C = Face.First; C < Face.First + Face.Count; ++C) {
        const float X = Level.Mesh.Vertices[size_t(Level.Mesh.FaceVertices[size_t(C)].Vertex)].X;
        EXPECT_TRUE(Face.Texture == 1 ? X <= 0 : X >= 0) << "texture " << Face.Texture << " at x = " << X;
      }
  }
}

TEST(LevelMaking, NormalsPointAsTheFinestLevelsDo) {
  TModelMesh Grid = WavyGrid(20, 20);
  for (TVector& N : Grid.Normals) N = {-N.X, -N.Y, -N.Z};
  for (const TMadeLevel& Level : Make(Grid, 2)) ExpectSoundFaces(Level.Mesh, -1);
}

TEST(LevelMaking, FacesThatCannotBeUsedAreLeftOut) {
  TModelMesh Grid = WavyGrid(10, 10);
  Grid.Faces[0].Count = 2;
  Grid.Faces[1].First = 1 << 30;
  Grid.FaceVertices[Grid.Faces[2].First].Vertex = -1;
  Grid.Vertices.push_back({std::numeric_limits<float>::quiet_NaN(), 0, 0});
  Grid.FaceVertices[Grid.Faces[3].First].Vertex = int32_t(Grid.Vertices.size() - 1);
  const std::vector<TMadeLevel> Made = Make(Grid, 2);
  ASSERT_EQ(Made.size(), 1u);
  for (const TVector& P : Made[0].Mesh.Vertices) EXPECT_TRUE(std::isfinite(P.X));
}

TEST(LevelMaking, Refusals) {
  const TModelMesh Grid = WavyGrid(4, 4);
  struct TCase {
    int32_t Levels;
    double Ratio;
    const TModelMesh* Mesh;
    const char* Message;
  };
  const TModelMesh Empty;
  const TCase Cases[] = {
      {0, 0.5, &Grid, "A model has 1 to 10000 levels of detail, not 0"},
      {10001, 0.5, &Grid, "A model has 1 to 10000 levels of detail, not 10001"},
      {2, 0, &Grid, "The ratio of faces from one level to the next lies between 0 and 1"},
      {2, 1, &Grid, "The ratio of faces from one level to the next lies between 0 and 1"},
      {2, std::nan(""), &Grid, "The ratio of faces from one level to the next lies between 0 and 1"},
      {2, 0.5, &Empty, "The finest level has no face to make levels from"},
  };
  for (const TCase& Case : Cases) {
    try {
      Make(*Case.Mesh, Case.Levels, Case.Ratio);
      ADD_FAILURE() << Case.Message;
    } catch (const ELevelMaking& E) {
      EXPECT_EQ(E.Message(), Case.Message);
    }
  }
  EXPECT_TRUE(Make(Empty, 1).empty());  // nothing to make, nothing refused
}

TEST(LevelMaking, TheTableSaysWhereALevelStoppedShort) {
  std::vector<TMadeLevel> Made(2);
  Made[0].Mesh.Faces.resize(500);
  Made[0].Target = 500;
  Made[0].Error = 0.0012f;
  Made[1].Mesh.Faces.resize(300);
  Made[1].Target = 250;
  Made[1].Error = 0.02f;
  EXPECT_EQ(LevelTable(1000, Made),
            "level  faces  target  error\n"
            "0000    1000       -      -\n"
            "0001     500     500  0.12%\n"
            "0002     300     250  2.00%  stopped short: the borders, texture seams and silhouette keep more faces\n");
}

}  // namespace
