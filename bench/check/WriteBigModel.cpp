// Writes the large model the check is measured on: BigModel's grid of
// Columns x Rows quadrilaterals, with a collision sphere appended to the top
// form so that the check runs every test it has, the sphere included.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "bench/model/BigModel.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s OUT.iff COLUMNS ROWS\n", argv[0]);
    return 2;
  }
  const std::string File = argv[1];
  BigModel::Write(File, std::atoi(argv[2]), std::atoi(argv[3]));

  // FORM "COLL" { "SPHR" 0 0 0 1 } after the mesh: the grid spans -0.5..0.5.
  unsigned char Coll[36] = {'F', 'O', 'R', 'M', 0, 0, 0, 28, 'C', 'O', 'L', 'L', 'S', 'P', 'H', 'R', 0, 0, 0, 16};
  const float Sphere[4] = {0, 0, 0, 1};
  std::memcpy(Coll + 20, Sphere, 16);
  std::fstream Out(File, std::ios::in | std::ios::out | std::ios::binary);
  unsigned char Size[4];
  Out.seekg(4);
  Out.read(reinterpret_cast<char*>(Size), 4);
  uint32_t Value = uint32_t(Size[0]) << 24 | uint32_t(Size[1]) << 16 | uint32_t(Size[2]) << 8 | Size[3];
  Value += sizeof Coll;
  for (int I = 0; I < 4; ++I) Size[I] = (unsigned char)(Value >> (24 - 8 * I));
  Out.seekp(4);
  Out.write(reinterpret_cast<char*>(Size), 4);
  Out.seekp(0, std::ios::end);
  Out.write(reinterpret_cast<char*>(Coll), sizeof Coll);
  return Out ? 0 : 1;
}
