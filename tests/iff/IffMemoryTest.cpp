// What an index costs in memory, counted by this executable's own operator
// new: a few dozen bytes per item, and nothing of the scan left behind.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "iff/IffReader.h"
#include "tests/iff/IffBytes.h"
#include "tests/support/TempDir.h"

namespace {
std::atomic<int64_t> LiveBytes{0};
constexpr size_t Prefix = 16;  // keeps the size, and the alignment of malloc
}  // namespace

void* operator new(size_t Size) {
  auto* Block = static_cast<char*>(std::malloc(Size + Prefix));
  if (!Block) throw std::bad_alloc();
  *reinterpret_cast<size_t*>(Block) = Size;
  LiveBytes += int64_t(Size);
  return Block + Prefix;
}
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* Pointer) noexcept {
  if (!Pointer) return;
  char* Block = static_cast<char*>(Pointer) - Prefix;
  LiveBytes -= int64_t(*reinterpret_cast<size_t*>(Block));
  std::free(Block);
}
#pragma GCC diagnostic pop
void* operator new[](size_t Size) { return operator new(Size); }
void operator delete[](void* Pointer) noexcept { operator delete(Pointer); }
void operator delete(void* Pointer, size_t) noexcept { operator delete(Pointer); }
void operator delete[](void* Pointer, size_t) noexcept { operator delete(Pointer); }

namespace {

// Live bytes the index of Bytes holds, per item, once indexing has finished.
double BytesPerItem(const TBytes& Bytes, size_t Items) {
  TempDir Dir;
  const std::string FileName = Dir.File("memory.iff");
  WriteFileBytes(FileName, Bytes);
  const int64_t Before = LiveBytes;
  TIffReader Reader(FileName, true);
  const double PerItem = double(LiveBytes - Before) / double(Items);
  std::printf("%.1f bytes per item\n", PerItem);
  return PerItem;
}

TEST(IffIndexMemory, ChunksCostTheirNodeAndLittleMore) {
  const size_t Count = 100000;
  TBytes Children;
  Children.reserve(Count * 12);
  for (size_t I = 0; I < Count; ++I) {
    const TBytes One = Chunk("DATA", 4);
    Children.insert(Children.end(), One.begin(), One.end());
  }
  EXPECT_LE(BytesPerItem(Form("ROOT", Children), Count), 40.0);
}

TEST(IffIndexMemory, NestedFormsCostAFewDozenBytesEach) { EXPECT_LE(BytesPerItem(NestedForms(100000), 100000), 100.0); }

TEST(IffIndexMemory, TypicalFormsOfAFewChunks) {
  TBytes Children;
  for (int I = 0; I < 10000; ++I) {
    const TBytes One = Form("PART", Chunk("NAME", 6) + Chunk("VERT", 48) + Chunk("FACE", 24));
    Children.insert(Children.end(), One.begin(), One.end());
  }
  EXPECT_LE(BytesPerItem(Form("ROOT", Children), 40000), 60.0);
}

}  // namespace
