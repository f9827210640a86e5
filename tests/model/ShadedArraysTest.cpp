// Solid and Textured from vertex arrays light the very pixels that one
// polygon per face lights: each case is drawn both ways on the same context
// and the two pictures are compared byte for byte.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <random>

#include "gl/HeadlessContext.h"
#include "model/SampleModel.h"
#include "model/SampleTextures.h"
#include "model/ShadedDrawing.h"
#include "model/TZorvObject.h"
#include "tests/model/ModelFixtures.h"

using namespace ModelFixtures;

namespace {

constexpr int Side = 160;

// Polygons of three to seven corners, some far from flat or convex, turned
// every way, with textures present, missing and none.
TSampleMesh RoughPolygons() {
  std::mt19937 Random(7);
  std::uniform_real_distribution<float> Offset(-0.3f, 0.3f);
  const int32_t Textures[] = {1, 2, 3, 6, 10000000};
  TSampleMesh Mesh;
  for (int I = 0; I < 60; ++I) {
    const int Corners = 3 + I % 5;
    const float CX = Offset(Random) * 3, CY = Offset(Random) * 3, CZ = Offset(Random) * 3;
    std::vector<TVector> Polygon;
    for (int K = 0; K < Corners; ++K) {
      const double A = 2 * M_PI * K / Corners * (I % 3 == 0 ? -1 : 1);
      const float R = 0.4f + (K % 2 ? Offset(Random) : 0);
      Polygon.push_back({CX + float(R * std::cos(A)), CY + float(R * std::sin(A)), CZ + Offset(Random) * (I % 2)});
    }
    Mesh.AddPolygon(Polygon, Textures[I % 5]);
  }
  return Mesh;
}

class ShadedArrays : public testing::Test {
protected:
  THeadlessGL Context{Side, Side};
  TempDir Dir;

  std::unique_ptr<TZorvObject> Load(const TSampleMesh& Mesh) {
    const std::string File = Dir.File("model.iff");
    WriteSingleMeshModel(File, Mesh, {}, nullptr);
    auto Model = std::make_unique<TZorvObject>(TDisplayListPolicy::None);
    Model->SetKeepData(true);
    Model->SetWireframe(true);
    Model->LoadFromFile(File);
    Model->SetFitSize(0.8f);
    return Model;
  }

  std::vector<uint8_t> Picture(TZorvObject& Model, TShadedOptions Options, const float (&Turn)[3], float Zoom) {
    glViewport(0, 0, Side, Side);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glRotatef(Turn[0], 1, 0, 0);
    glRotatef(Turn[1], 0, 1, 0);
    glRotatef(Turn[2], 0, 0, 1);
    glScalef(Zoom, Zoom, Zoom);
    DrawShadedFaces(Model, Options);
    glFinish();
    return Context.ReadPixels();
  }
};

}  // namespace

TEST_F(ShadedArrays, DrawTheSamePixelsAsOnePolygonPerFace) {
  WriteSampleModelWithTextures(Dir.File("sample.iff"), Dir.Path().string(), /*SingleMesh=*/true);
  const TSampleMesh Meshes[] = {SampleCraftMesh(0), RoughPolygons()};
  const float Turns[][3] = {{0, 0, 0}, {30, 45, 10}, {-70, 200, 33}, {90, 0, 0}};
  TFaceTextures Textures(Dir.Path().string());
  for (const TSampleMesh& Mesh : Meshes) {
    TSampleMesh Worn = Mesh;
    if (&Mesh == &Meshes[0]) AssignSampleTextures(Worn);
    const auto Model = Load(Worn);
    for (const TShading Shading : {TShading::Solid, TShading::Textured})
      for (const bool Edges : {true, false})
        for (const auto& Turn : Turns)
          for (const float Zoom : {1.0f, -1.3f}) {
            SCOPED_TRACE(testing::Message() << ShadingNames[int(Shading)] << (Edges ? ", edges" : "") << ", turn "
                                            << Turn[0] << " " << Turn[1] << " " << Turn[2] << ", zoom " << Zoom);
            const std::vector<uint8_t> Polygons =
                Picture(*Model, {Shading, &Textures, Edges, /*Polygons=*/true}, Turn, Zoom);
            // Twice: once building the arrays, once from the kept ones.
            for (int Round = 0; Round < 2; ++Round)
              ASSERT_EQ(Picture(*Model, {Shading, &Textures, Edges}, Turn, Zoom), Polygons) << "round " << Round;
          }
  }
}
