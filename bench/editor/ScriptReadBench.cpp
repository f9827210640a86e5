// Reading a hardpoint script, sound and hostile, at sizes a factor of 10
// apart in the same run: time proportional to the text shows as the same
// bytes per second at every size. Script/N reads N hardpoints; Refused/N is
// the same text with its last brace gone, read whole before it is refused;
// LongLine/N is one number of N * 300 digits, about the size of Script/N.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "editor/HardpointScript.h"
#include "model/THardpoint.h"

namespace {

std::string ScriptOf(size_t Count) {
  std::vector<THardpoint> Hardpoints(Count);
  std::vector<const THardpoint*> Pointers;
  for (size_t I = 0; I < Count; ++I) {
    Hardpoints[I].Name = "Hardpoint" + std::to_string(I);
    for (size_t E = 0; E < 16; ++E) Hardpoints[I].Matrix[E] = float(I) / float(E + 1);
    Pointers.push_back(&Hardpoints[I]);
  }
  return HardpointScriptText(Pointers);
}

void Read(benchmark::State& State, const std::string& Text) {
  for (auto _ : State) {
    try {
      benchmark::DoNotOptimize(ReadHardpointScript(Text, "bench.txt"));
    } catch (const std::exception& Error) {
      benchmark::DoNotOptimize(Error.what());
    }
  }
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(Text.size()));
}

void Script(benchmark::State& State) { Read(State, ScriptOf(size_t(State.range(0)))); }
void Refused(benchmark::State& State) {
  std::string Text = ScriptOf(size_t(State.range(0)));
  Text.erase(Text.rfind('}'));
  Read(State, Text);
}
void LongLine(benchmark::State& State) {
  std::string Text = ScriptOf(1);
  const size_t At = Text.find("float ") + 6;
  Text.insert(At, std::string(size_t(State.range(0)) * 300, '7'));
  Read(State, Text);
}

BENCHMARK(Script)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Refused)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(LongLine)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
