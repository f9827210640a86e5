// Peak resident memory of loading a model of a million quadrilaterals,
// against the bytes of its mesh arrays. Run on its own (a fresh process), so
// the peak before the load is the program's own small footprint:
//   model_load_peak_memory [COLUMNS ROWS]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/model/BigModel.h"
#include "model/TZorvObject.h"

namespace {

// VmHWM of /proc/self/status in kilobytes.
long PeakKilobytes() {
  std::ifstream Status("/proc/self/status");
  std::string Line;
  while (std::getline(Status, Line))
    if (Line.rfind("VmHWM:", 0) == 0) return std::atol(Line.c_str() + 6);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int Columns = argc > 2 ? std::atoi(argv[1]) : 1000;
  const int Rows = argc > 2 ? std::atoi(argv[2]) : 1000;
  const std::string Name =
      (std::filesystem::temp_directory_path() / ("quelbir-peak-" + std::to_string(getpid()) + ".iff")).string();
  BigModel::Write(Name, Columns, Rows);
  const long Before = PeakKilobytes();
  {
    TZorvObject Model(TDisplayListPolicy::None);
    Model.SetKeepData(true);
    Model.LoadFromFile(Name);
    const long After = PeakKilobytes();
    const double Mesh = double(BigModel::MeshBytes(Columns, Rows)) / 1024;
    std::printf(
        "faces %d, file %.0f KiB, mesh %.0f KiB, peak before %ld KiB, after %ld KiB, growth %ld KiB "
        "(%.3f x mesh, %+.0f KiB over it)\n",
        Model.Mesh().FaceCount, double(std::filesystem::file_size(Name)) / 1024, Mesh, Before, After, After - Before,
        double(After - Before) / Mesh, double(After - Before) - Mesh);
  }
  std::filesystem::remove(Name);
  return 0;
}
