// Indexing time per item of TIffReader beside a bare walk over the same
// headers in a memory-mapped copy of the file, in the same run:
//   many small chunks (flat, and grouped in forms), and a few huge sparse chunks
//   whose data must never be read.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "iff/IffReader.h"
#include "iff/IffWriter.h"
#include "runtime/FileLayer.h"

namespace {

std::string BenchFile(const char* Name) {
  return (std::filesystem::temp_directory_path() / ("quelbir-bench-" + std::to_string(::getpid()) + "-" + Name))
      .string();
}

// A FORM holding Count chunks of 4 bytes, or Count / PerForm forms of PerForm chunks each.
std::string MakeSmallChunks(const char* Name, int Count, int PerForm) {
  const std::string FileName = BenchFile(Name);
  TIffWriter Writer(FileName, wmMemory);
  Writer.OpenForm(TIffTag("ROOT"));
  for (int I = 0; I < Count; ++I) {
    if (PerForm && I % PerForm == 0) {
      if (I) Writer.CloseForm();
      Writer.OpenForm(TIffTag("GRUP"));
    }
    Writer.OpenChunk(TIffTag("DATA"));
    Writer.WriteInteger(I);
    Writer.CloseChunk();
  }
  if (PerForm) Writer.CloseForm();
  Writer.CloseForm();
  Writer.Destroy();
  return FileName;
}

// A FORM holding Count chunks of Size bytes each, the data left as holes.
std::string MakeHugeChunks(const char* Name, int Count, int32_t Size) {
  const std::string FileName = BenchFile(Name);
  const int64_t Length = 12 + int64_t(Count) * (8 + Size);
  auto PutHeader = [](TFileStream& Stream, int64_t At, const char* Tag, int32_t Value) {
    const uint8_t Bytes[8] = {uint8_t(Tag[0]),      uint8_t(Tag[1]),      uint8_t(Tag[2]),     uint8_t(Tag[3]),
                              uint8_t(Value >> 24), uint8_t(Value >> 16), uint8_t(Value >> 8), uint8_t(Value)};
    Stream.Seek(At);
    Stream.Write(Bytes, 8);
  };
  TFileStream Stream(FileName, TFileMode::Create);
  PutHeader(Stream, 0, "FORM", int32_t(Length - 8));
  Stream.Seek(8);
  Stream.Write("HUGE", 4);
  for (int I = 0; I < Count; ++I) PutHeader(Stream, 12 + int64_t(I) * (8 + Size), "BULK", Size);
  if (::truncate(FileName.c_str(), Length) != 0) std::abort();
  return FileName;
}

struct TFixtures {
  std::string Flat = MakeSmallChunks("flat.iff", 1000000, 0);
  std::string Grouped = MakeSmallChunks("grouped.iff", 1000000, 100);
  std::string Huge = MakeHugeChunks("huge.iff", 4, 400 * 1024 * 1024);
  ~TFixtures() {
    for (const std::string* F : {&Flat, &Grouped, &Huge}) DeleteFile(*F);
  }
};

TFixtures& Fixtures() {
  static TFixtures Files;
  return Files;
}

const std::string& FileOf(int Which) {
  TFixtures& F = Fixtures();
  return Which == 0 ? F.Flat : Which == 1 ? F.Grouped : F.Huge;
}

// The baseline: map the file and step from header to header, nothing else.
int64_t WalkMapped(const std::string& FileName) {
  const int Handle = ::open(FileName.c_str(), O_RDONLY);
  struct stat Info;
  ::fstat(Handle, &Info);
  const auto Length = size_t(Info.st_size);
  auto* Base = static_cast<const uint8_t*>(::mmap(nullptr, Length, PROT_READ, MAP_PRIVATE, Handle, 0));
  int64_t Items = 1;
  size_t P = 12;
  while (P + 8 <= Length) {
    const uint8_t* H = Base + P;
    if (std::memcmp(H, "FORM", 4) == 0) {
      P += 12;
    } else {
      const uint32_t Size = uint32_t(H[4]) << 24 | uint32_t(H[5]) << 16 | uint32_t(H[6]) << 8 | uint32_t(H[7]);
      P += 8 + Size + (Size & 1);
    }
    ++Items;
  }
  ::munmap(const_cast<uint8_t*>(Base), Length);
  ::close(Handle);
  return Items;
}

int64_t CountItems(const TForm& Root) {
  int64_t Items = 0;
  std::vector<const TForm*> Pending{&Root};
  while (!Pending.empty()) {
    const TForm* Form = Pending.back();
    Pending.pop_back();
    Items += 1 + int64_t(Form->Chunks.size());
    for (const auto& Child : Form->Forms) Pending.push_back(Child.get());
  }
  return Items;
}

void PerItem(benchmark::State& State, int64_t Items) {
  State.counters["items"] = double(Items);
  State.counters["per_item"] =
      benchmark::Counter(double(Items), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_MappedWalk(benchmark::State& State) {
  const std::string& FileName = FileOf(int(State.range(0)));
  int64_t Items = 0;
  for (auto _ : State) {
    Items = WalkMapped(FileName);
    benchmark::DoNotOptimize(Items);
  }
  PerItem(State, Items);
}

// The floor any in-memory index pays on top of the walk: fresh memory for one
// TChunk per item, obtained and touched once. On machines where a page fault
// is slow this alone outweighs the whole walk.
void BM_FreshIndexMemory(benchmark::State& State) {
  const int64_t Items = WalkMapped(FileOf(int(State.range(0))));
  const size_t Length = size_t(Items) * sizeof(TChunk);
  for (auto _ : State) {
    auto* Block =
        static_cast<uint8_t*>(::mmap(nullptr, Length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    for (size_t I = 0; I < Length; I += 4096) Block[I] = 1;
    benchmark::DoNotOptimize(Block);
    ::munmap(Block, Length);
  }
  PerItem(State, Items);
}

void BM_ReaderIndex(benchmark::State& State) {
  const std::string& FileName = FileOf(int(State.range(0)));
  int64_t Items = 0;
  for (auto _ : State) {
    TIffReader Reader(FileName, /*ReadOnly=*/true);
    benchmark::DoNotOptimize(Reader.Root());
    State.PauseTiming();
    Items = CountItems(*Reader.Root());
    State.ResumeTiming();
  }
  PerItem(State, Items);
}

// 0: one million chunks in the root, 1: in 10,000 forms, 2: four 400 MiB chunks.
BENCHMARK(BM_MappedWalk)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreshIndexMemory)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReaderIndex)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
