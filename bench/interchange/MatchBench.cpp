// Matching a model's hardpoints to those of an edited glTF, at N and at four
// times N in the same run: a cost that grows with the hardpoints shows a
// ratio near 4 between Match/16000 and Match/4000 (one that grows with their
// pairs, near 16). The glTF lists the hardpoints in reverse without marks, as
// Blender's defaults leave them, every other one under a duplicate's suffix.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <sstream>

#include "interchange/HardpointMatch.h"

namespace {

std::string NameOf(size_t I) {
  char Text[32];
  std::snprintf(Text, sizeof Text, "Hardpoint%05zu", I);
  return Text;
}

void Match(benchmark::State& State) {
  const size_t Count = size_t(State.range(0));
  std::vector<THardpoint> Model(Count);
  std::vector<const THardpoint*> Pointers;
  std::vector<TGltfHardpoint> Gltf(Count);
  for (size_t I = 0; I < Count; ++I) {
    Model[I].Name = NameOf(I);
    Model[I].Matrix[12] = float(I);
    Pointers.push_back(&Model[I]);
    TGltfHardpoint& G = Gltf[Count - 1 - I];
    G.Hardpoint = Model[I];
    G.NodeName = NameOf(I) + (I % 2 ? ".001" : "");
  }
  for (auto _ : State) {
    std::ostringstream Changes;
    benchmark::DoNotOptimize(MatchGltfHardpoints(Pointers, Gltf, "edited.gltf", Changes));
  }
}
BENCHMARK(Match)->Arg(4000)->Arg(16000)->Arg(64000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
