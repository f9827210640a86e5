#pragma once
// The process-wide table of 32 scan slots. Indexing a file holds one slot for
// as long as it runs; a slot refers to the stream being indexed (it never owns
// it) and keeps the offset of the next header to read.
#include <cstdint>

class TFileStream;

struct TScanSlot {
  TFileStream* Stream = nullptr;
  bool Free = true;
  int32_t ScanPosition = 0;
};

inline constexpr int ScanSlotCount = 32;

// Slot Number, 1 to ScanSlotCount.
TScanSlot& ScanSlot(int Number);

// Holds the lowest-numbered free slot from construction to destruction, so the
// slot is given back on every way out of an indexing pass. Raises
// EIffReader_NoFreeFileHandles when every slot is taken.
class TScanSlotHold {
public:
  explicit TScanSlotHold(TFileStream* Stream);
  ~TScanSlotHold();
  TScanSlotHold(const TScanSlotHold&) = delete;
  TScanSlotHold& operator=(const TScanSlotHold&) = delete;

  TScanSlot& Slot() const { return *FSlot; }
  int Number() const { return FNumber; }

private:
  TScanSlot* FSlot;
  int FNumber;
};
