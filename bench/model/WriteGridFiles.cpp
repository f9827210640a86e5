// Writes the same grid of quadrilaterals twice: as a model file (the one the
// model benchmarks load) and as a binary PLY file, for comparing the
// command-line tool with other programs on the same mesh (bench/peers.sh).
//   write_grid_files OUT.iff OUT.ply [COLUMNS ROWS [window]]   (default 1000 x 1000)
// With "window", the model file also holds a hardpoint and a sphere, so the
// editor's window opens it without a message.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/model/BigModel.h"

namespace {

// The grid of BigModel::Write: the same vertices in the same order, each
// quadrilateral with its corners in the order the model file stores them.
void WritePly(const std::string& FileName, int Columns, int Rows) {
  std::ofstream Out(FileName, std::ios::binary);
  const int64_t Vertices = int64_t(Columns + 1) * (Rows + 1), Quads = int64_t(Columns) * Rows;
  Out << "ply\nformat binary_little_endian 1.0\nelement vertex " << Vertices
      << "\nproperty float x\nproperty float y\nproperty float z\nelement face " << Quads
      << "\nproperty list uchar int vertex_indices\nend_header\n";
  std::vector<char> Bytes;
  auto Put = [&Bytes](const void* Data, size_t Count) {
    Bytes.insert(Bytes.end(), static_cast<const char*>(Data), static_cast<const char*>(Data) + Count);
  };
  auto Flush = [&] {
    Out.write(Bytes.data(), std::streamsize(Bytes.size()));
    Bytes.clear();
  };
  for (int Y = 0; Y <= Rows; ++Y) {
    for (int X = 0; X <= Columns; ++X) {
      const float P[3] = {float(X) / Columns - 0.5f, float(Y) / Rows - 0.5f, 0};
      Put(P, sizeof P);
    }
    Flush();
  }
  for (int64_t Q = 0; Q < Quads; ++Q) {
    const int32_t X = int32_t(Q % Columns), Y = int32_t(Q / Columns);
    const int32_t V = Y * (Columns + 1) + X;
    const unsigned char Four = 4;
    const int32_t Corners[4] = {V, V + Columns + 1, V + Columns + 2, V + 1};
    Put(&Four, 1);
    Put(Corners, sizeof Corners);
    if (Bytes.size() >= (1 << 20)) Flush();
  }
  Flush();
  if (!Out) {
    std::fprintf(stderr, "cannot write %s\n", FileName.c_str());
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5 && !(argc == 6 && std::string(argv[5]) == "window")) {
    std::fprintf(stderr, "usage: write_grid_files OUT.iff OUT.ply [COLUMNS ROWS [window]]\n");
    return 2;
  }
  const int Columns = argc >= 5 ? std::atoi(argv[3]) : 1000, Rows = argc >= 5 ? std::atoi(argv[4]) : 1000;
  if (Columns <= 0 || Rows <= 0 || int64_t(Columns) * Rows > 4000000) {
    std::fprintf(stderr, "COLUMNS and ROWS must be positive, at most 4,000,000 quadrilaterals\n");
    return 2;
  }
  BigModel::Write(argv[1], Columns, Rows, /*WithHardpoint=*/argc == 6);
  WritePly(argv[2], Columns, Rows);
  return 0;
}
