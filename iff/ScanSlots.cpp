#include "iff/ScanSlots.h"

#include <array>
#include <mutex>

#include "iff/IffReader.h"

namespace {
std::array<TScanSlot, ScanSlotCount> Slots;
// Taking and giving back a slot is one step under this lock, so readers
// created on several threads at once (the folder check) never share a slot.
std::mutex SlotsLock;
}  // namespace

TScanSlot& ScanSlot(int Number) { return Slots.at(size_t(Number - 1)); }

TScanSlotHold::TScanSlotHold(TFileStream* Stream) : FSlot(nullptr), FNumber(0) {
  std::lock_guard<std::mutex> Hold(SlotsLock);
  for (int I = 0; I < ScanSlotCount; ++I) {
    if (Slots[size_t(I)].Free) {
      FSlot = &Slots[size_t(I)];
      FNumber = I + 1;
      break;
    }
  }
  if (!FSlot)
    throw EIffReader_NoFreeFileHandles("EIffReader_NoFreeFileHandles: No free file handles! Cannot open stream");
  FSlot->Stream = Stream;
  FSlot->Free = false;
  FSlot->ScanPosition = 0;
}

TScanSlotHold::~TScanSlotHold() {
  std::lock_guard<std::mutex> Hold(SlotsLock);
  FSlot->Stream = nullptr;
  FSlot->Free = true;
  FSlot->ScanPosition = 0;
}
