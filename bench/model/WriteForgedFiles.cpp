// Writes the forged files the tool's work bound is measured on:
//   write_forged_files DIR
// DIR/shared-runs.iff: 50,000 faces that all use the same run of 50,000
// corners (2.2 MB; every face names the whole face-vertex chunk);
// DIR/many-levels.iff: 10,000 levels of detail of one triangle each (1.9 MB);
// DIR/empty-levels.iff: a level container of 150,000 empty forms that no
// level name reaches (1.8 MB);
// DIR/textured.iff: one triangle in material 1, and
// DIR/textures/00000001.mat: a 1 x 1 texture whose pixel chunk holds 512 MB
// (export DIR/textured.iff with --textures DIR/textures).
// Run the commands under /usr/bin/time -v on them (bench/model/forged.sh).
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "iff/IffWriter.h"
#include "model/SampleModel.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_forged_files DIR\n");
    return 2;
  }
  const std::string Dir = argv[1];
  std::filesystem::create_directories(Dir + "/textures");

  constexpr int32_t Corners = 50000, Faces = 50000, Ring = 1000;
  TSampleMesh Mesh;
  for (int32_t I = 0; I < Ring; ++I) {
    const double A = 2 * M_PI * I / Ring;
    Mesh.Vertices.push_back({float(std::cos(A)), float(std::sin(A)), 0});
  }
  Mesh.Normals.push_back({0, 0, 1});
  for (int32_t I = 0; I < Corners; ++I) Mesh.FaceVertices.push_back({I % Ring, 0, 0, 0});
  for (int32_t F = 0; F < Faces; ++F) Mesh.Faces.push_back({0, 0, 10000000, 0, Corners, 0, 0});
  const TSampleSphere Sphere{{0, 0, 0}, 2, true};
  WriteLodModel(Dir + "/shared-runs.iff", {Mesh}, {}, &Sphere);

  TSampleMesh Triangle;
  Triangle.AddPolygon({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, 1);
  WriteLodModel(Dir + "/textured.iff", {Triangle}, {}, &Sphere);

  WriteLodModel(Dir + "/many-levels.iff", std::vector<TSampleMesh>(10000, Triangle), {}, &Sphere);

  {
    TIffWriter Writer(Dir + "/empty-levels.iff", wmFile);
    Writer.OpenForm(TIffTag("DETA"));
    Writer.OpenForm(TIffTag("MESH"));
    for (int I = 0; I < 150000; ++I) {
      Writer.OpenForm(TIffTag("XXXX"));
      Writer.CloseForm();
    }
    Writer.CloseForm();
    Writer.CloseForm();
    Writer.Destroy();
  }

  TPalette Palette{};
  WriteMatFile(Dir + "/textures/00000001.mat", 1, 1, Palette, std::vector<uint8_t>(size_t(512) << 20, 0));
  return 0;
}
