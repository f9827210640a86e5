#include "model/RecordMemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace {

constexpr size_t LargePage = size_t(2) << 20;
// Below this a block lives on the heap: a mapping of its own would cost a
// system call for memory the heap already has at hand.
constexpr size_t MappedFrom = size_t(4) << 20;

size_t MappedLength(size_t Bytes) { return (Bytes + LargePage - 1) / LargePage * LargePage; }

}  // namespace

void* AllocateRecordMemory(size_t Bytes) {
  if (Bytes < MappedFrom) return ::operator new(Bytes);
  const size_t Length = MappedLength(Bytes);
  // Map one large page more than needed and trim both ends, so the block
  // starts on a large-page boundary and every one of its pages can be large.
  void* Mapped = ::mmap(nullptr, Length + LargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (Mapped == MAP_FAILED) throw std::bad_alloc();
  const auto Start = reinterpret_cast<uintptr_t>(Mapped);
  const uintptr_t Aligned = (Start + LargePage - 1) & ~(LargePage - 1);
  if (Aligned > Start) ::munmap(Mapped, Aligned - Start);
  const uintptr_t End = Aligned + Length;
  const uintptr_t MappedEnd = Start + Length + LargePage;
  if (MappedEnd > End) ::munmap(reinterpret_cast<void*>(End), MappedEnd - End);
  void* Block = reinterpret_cast<void*>(Aligned);
  // Both are advice: where the system grants no large pages or cannot fault
  // the block in ahead, the read that follows faults it in as it goes.
  ::madvise(Block, Length, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
  ::madvise(Block, Length, MADV_POPULATE_WRITE);
#endif
  return Block;
}

void ReleaseRecordMemory(void* Block, size_t Bytes) noexcept {
  if (Bytes < MappedFrom)
    ::operator delete(Block);
  else
    ::munmap(Block, MappedLength(Bytes));
}
