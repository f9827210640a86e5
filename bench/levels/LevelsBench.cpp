// Making levels and textures, each against a baseline of the same run:
// three levels made from a 1,000,000-face grid (against copying that mesh)
// and a 1024 x 1024 photograph-like picture made into a texture (against
// writing it as a PNG).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "gl/PngPicture.h"
#include "levels/LevelMaking.h"
#include "textures/MatConversion.h"

namespace {

// Side x Side quadrilaterals on shared vertices, a gentle wave across them.
TModelMesh Grid(int Side) {
  TModelMesh Mesh;
  for (int R = 0; R <= Side; ++R)
    for (int C = 0; C <= Side; ++C) {
      const float X = 2.0f * float(C) / float(Side) - 1, Z = 2.0f * float(R) / float(Side) - 1;
      Mesh.Vertices.push_back({X, 0.2f * std::sin(2.5f * X) * std::cos(1.5f * Z), Z});
    }
  for (int R = 0; R < Side; ++R)
    for (int C = 0; C < Side; ++C) {
      TFace Face;
      Face.Normal = int32_t(Mesh.Normals.size());
      Face.Texture = 10000000;
      Face.First = int32_t(Mesh.FaceVertices.size());
      Face.Count = 4;
      Mesh.Normals.push_back({0, 1, 0});
      const int32_t A = R * (Side + 1) + C;
      for (int32_t V : {A, A + 1, A + Side + 2, A + Side + 1}) {
        TFaceVertex Corner;
        Corner.Vertex = V;
        Mesh.FaceVertices.push_back(Corner);
      }
      Mesh.Faces.push_back(Face);
    }
  return Mesh;
}

const TModelMesh& Million() {
  static const TModelMesh Mesh = Grid(1000);
  return Mesh;
}

void BM_CopyMillionFaceMesh(benchmark::State& State) {
  for (auto _ : State) {
    TModelMesh Copy = Million();
    benchmark::DoNotOptimize(Copy.Faces.data());
  }
}
BENCHMARK(BM_CopyMillionFaceMesh)->Unit(benchmark::kMillisecond);

void BM_MakeThreeLevelsOfAMillionFaces(benchmark::State& State) {
  TLevelOptions Options;
  Options.Levels = 4;
  for (auto _ : State) benchmark::DoNotOptimize(MakeLevels(Million(), Options).size());
}
BENCHMARK(BM_MakeThreeLevelsOfAMillionFaces)->Unit(benchmark::kMillisecond)->Iterations(1);

TRgbPicture Photo(int Side) {
  TRgbPicture Picture;
  Picture.Width = Picture.Height = Side;
  std::mt19937 Random(7);
  std::normal_distribution<double> Grain(0, 3);
  for (int Y = 0; Y < Side; ++Y)
    for (int X = 0; X < Side; ++X) {
      const double U = double(X) / Side, V = double(Y) / Side;
      for (double Value : {128 + 100 * std::sin(9 * U) * std::cos(6 * V), 120 + 90 * std::sin(7 * (U + V)),
                           110 + 80 * std::cos(11 * U * V + 2 * V)})
        Picture.Rgb.push_back(uint8_t(std::clamp(Value + Grain(Random), 0.0, 255.0)));
    }
  return Picture;
}

void BM_EncodePngOf1024(benchmark::State& State) {
  const TRgbPicture Picture = Photo(1024);
  for (auto _ : State) benchmark::DoNotOptimize(EncodePng(1024, 1024, 3, Picture.Rgb).size());
}
BENCHMARK(BM_EncodePngOf1024)->Unit(benchmark::kMillisecond);

void BM_TextureOf1024(benchmark::State& State) {
  const TRgbPicture Picture = Photo(1024);
  for (auto _ : State) {
    const TMatPicture Texture = MatPictureOf(Picture);
    State.counters["psnr"] = Texture.Psnr;
    benchmark::DoNotOptimize(MatFileOf(Texture).size());
  }
}
BENCHMARK(BM_TextureOf1024)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
