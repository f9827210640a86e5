// Loading a model of a million quadrilaterals against reading the same file's
// bytes with plain reads. Compare the load's time with ReadFileBytes' in the
// same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "bench/model/BigModel.h"
#include "model/TZorvObject.h"

namespace {

// One file per grid size for the whole run, removed at exit.
struct TBigFile {
  std::string Name;
  TBigFile(int Columns, int Rows) {
    Name = (std::filesystem::temp_directory_path() / ("quelbir-bench-" + std::to_string(getpid()) + "-" +
                                                      std::to_string(Columns) + "x" + std::to_string(Rows) + ".iff"))
               .string();
    BigModel::Write(Name, Columns, Rows);
  }
  ~TBigFile() { std::filesystem::remove(Name); }
};

const TBigFile& MillionQuads() {
  static TBigFile File(1000, 1000);
  return File;
}

// The baseline: the whole file into one uninitialised block with read(2),
// in pieces of Range(0) bytes (0: all at once).
void ReadFileBytes(benchmark::State& State) {
  const int64_t Piece = State.range(0);
  const std::string& Name = MillionQuads().Name;
  const int64_t Size = int64_t(std::filesystem::file_size(Name));
  for (auto _ : State) {
    std::unique_ptr<uint8_t[]> Bytes(new uint8_t[size_t(Size)]);
    int Handle = open(Name.c_str(), O_RDONLY);
    int64_t Done = 0;
    while (Done < Size) {
      const int64_t Want = Piece > 0 ? std::min(Piece, Size - Done) : Size - Done;
      ssize_t Got = read(Handle, Bytes.get() + Done, size_t(Want));
      if (Got <= 0) break;
      Done += Got;
    }
    close(Handle);
    benchmark::DoNotOptimize(Bytes.get());
    if (Done != Size) State.SkipWithError("short read");
  }
  State.SetBytesProcessed(State.iterations() * Size);
}
BENCHMARK(ReadFileBytes)->Arg(0)->Arg(1 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();

// What `cat` does: the whole file through one reused buffer of 128 KiB, so
// no fresh memory is touched. The load's target is a small multiple of this.
void StreamFileBytes(benchmark::State& State) {
  const std::string& Name = MillionQuads().Name;
  const int64_t Size = int64_t(std::filesystem::file_size(Name));
  std::unique_ptr<uint8_t[]> Buffer(new uint8_t[128 * 1024]);
  for (auto _ : State) {
    int Handle = open(Name.c_str(), O_RDONLY);
    int64_t Done = 0;
    for (ssize_t Got; (Got = read(Handle, Buffer.get(), 128 * 1024)) > 0;) Done += Got;
    close(Handle);
    benchmark::DoNotOptimize(Buffer.get());
    if (Done != Size) State.SkipWithError("short read");
  }
  State.SetBytesProcessed(State.iterations() * Size);
}
BENCHMARK(StreamFileBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

void LoadMillionQuads(benchmark::State& State) {
  const std::string& Name = MillionQuads().Name;
  const int64_t Size = int64_t(std::filesystem::file_size(Name));
  for (auto _ : State) {
    TZorvObject Model(TDisplayListPolicy::None);
    Model.SetKeepData(true);
    Model.LoadFromFile(Name);
    benchmark::DoNotOptimize(Model.Mesh().Faces.Data());
    if (Model.Mesh().FaceCount != 1000000) State.SkipWithError("wrong face count");
  }
  State.SetBytesProcessed(State.iterations() * Size);
}
BENCHMARK(LoadMillionQuads)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

// Every large block comes fresh from the system in both the load and the
// baseline: without this, the C library would start serving the load's
// smaller arrays from memory already touched by the iteration before, which
// flatters the load.
int main(int argc, char** argv) {
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 20);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
