// Writes a single-mesh model with many hardpoints (a square mesh, Count
// hardpoints "Hardpoint00000"... along X), for timing
// `quelbir-cli script FILE --from-gltf EDITED` on it:
//   write_hardpoint_model OUT.iff COUNT
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/SampleModel.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: write_hardpoint_model OUT.iff COUNT\n");
    return 2;
  }
  TSampleMesh Mesh;
  Mesh.AddPolygon({{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}});
  std::vector<TSampleHardpoint> Hardpoints(size_t(std::atol(argv[2])));
  for (size_t I = 0; I < Hardpoints.size(); ++I) {
    char Name[32];
    std::snprintf(Name, sizeof Name, "Hardpoint%05zu", I);
    Hardpoints[I].Name = Name;
    Hardpoints[I].Matrix[12] = float(I) / 100;
  }
  WriteSingleMeshModel(argv[1], Mesh, Hardpoints, nullptr);
  return 0;
}
