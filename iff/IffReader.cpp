#include "iff/IffReader.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "iff/ScanSlots.h"
#include "runtime/FileLayer.h"

namespace {

// Offsets in the format are 32-bit signed: nothing at or beyond this can be
// named, so no item may reach past it.
constexpr int64_t OffsetLimit = std::numeric_limits<int32_t>::max();

// Header reads are served from one block of the file at a time. Walking on
// from the block continues with a large block; a jump past it (a large chunk
// skipped) reads a small one, so skipping data costs little.
constexpr int32_t LargeBlock = 64 * 1024;
constexpr int32_t SmallBlock = 4 * 1024;
constexpr int32_t HeaderBytes = 12;

class THeaderSource {
public:
  explicit THeaderSource(TFileStream& Stream) : FStream(Stream), FBuffer(new uint8_t[LargeBlock]) {}

  // Up to Want bytes at Offset P; fewer only where the file ends.
  int32_t Fetch(int64_t P, int32_t Want, const uint8_t*& Data) {
    const int64_t End = FStart + FLength;
    if (P >= FStart && (P + Want <= End || (FAtEnd && P <= End))) [[likely]] {
      Data = FBuffer.get() + (P - FStart);
      return int32_t(std::min<int64_t>(Want, End - P));
    }
    return Refill(P, Want, Data);
  }

private:
  [[gnu::noinline]] int32_t Refill(int64_t P, int32_t Want, const uint8_t*& Data) {
    const int64_t End = FStart + FLength;
    const bool Continuing = P >= FStart && P <= End;
    const int32_t Block = Continuing ? LargeBlock : SmallBlock;
    FStream.Seek(P);
    FLength = FStream.Read(FBuffer.get(), Block);
    FStart = P;
    FAtEnd = FLength < Block;
    Data = FBuffer.get();
    return std::min(Want, FLength);
  }

  TFileStream& FStream;
  std::unique_ptr<uint8_t[]> FBuffer;
  int64_t FStart = 0;
  int32_t FLength = 0;
  bool FAtEnd = false;
};

struct THeader {
  bool IsForm = false;
  TIffTag Tag;
  int32_t RawSize = 0;
};

std::string HexDigits(uint32_t Value, int Width) {
  char Text[16];
  std::snprintf(Text, sizeof Text, "%0*X", Width, Value);
  return Text;
}

std::string TextUpToZero(const uint8_t* Bytes, int32_t Count) {
  std::string Text;
  for (int32_t I = 0; I < Count && Bytes[I] != 0; ++I) Text.push_back(char(Bytes[I]));
  return Text;
}

int32_t BigEndian32(const uint8_t* Bytes) {
  return int32_t(uint32_t(Bytes[0]) << 24 | uint32_t(Bytes[1]) << 16 | uint32_t(Bytes[2]) << 8 | uint32_t(Bytes[3]));
}

[[noreturn, gnu::noinline]] void FailInForm(int64_t P, const uint8_t* Data, int32_t Got) {
  const std::string TypeBytes = Got > 8 ? TextUpToZero(Data + 8, Got - 8) : std::string();
  throw EIffReader_ErrorInForm("EIffReader_ErrorInForm: Error in Form \"" + TypeBytes + "\" at offset " +
                               HexDigits(uint32_t(P), 0));
}

[[noreturn, gnu::noinline]] void FailInChunk(int64_t P, const TIffTag& Tag) {
  throw EIffReader_ErrorInChunk("EIffReader_ErrorInChunk: Error in Chunk \"" + Tag.ToText() + "\" at offset " +
                                HexDigits(uint32_t(P), 0));
}

// Reads the header at P; false when there is none (the scan ends there).
inline bool ReadHeader(THeaderSource& Source, int64_t P, THeader& Header) {
  const uint8_t* Data;
  const int32_t Got = Source.Fetch(P, HeaderBytes, Data);
  if (Got < 4) [[unlikely]]
    return false;
  if (std::memcmp(Data, TagFORM.Bytes.data(), 4) == 0) {
    if (Got < 12) [[unlikely]]
      FailInForm(P, Data, Got);
    Header.IsForm = true;
    Header.Tag = TIffTag::FromBytes(Data + 8);
    Header.RawSize = BigEndian32(Data + 4);
    return true;
  }
  if (Data[0] == 0) [[unlikely]]
    return false;
  Header.IsForm = false;
  Header.Tag = TIffTag::FromBytes(Data);
  if (Got < 8) [[unlikely]]
    FailInChunk(P, Header.Tag);
  Header.RawSize = BigEndian32(Data + 4);
  return true;
}

// The number of chunks and sub-forms of each form, forms numbered in the
// order their headers come (the root is 0). Indexing walks the headers once
// to count them and then builds every list at its final size: growing the
// lists one item at a time would copy them over and over and touch fresh
// memory several times the index's own size. The counts are only a sizing
// hint: the walk stops quietly where the indexing pass will raise its error,
// and a file that changes in between merely makes a list grow.
struct TChildCounts {
  int32_t Chunks = 0;
  int32_t Forms = 0;
};

std::vector<TChildCounts> CountChildren(THeaderSource& Source, const THeader& RootHeader, int64_t FileLimit) {
  struct TOpen {
    int64_t Offset, End;
    size_t Index;
  };
  std::vector<TChildCounts> Counts(1);
  if (!RootHeader.IsForm) return Counts;
  std::vector<TOpen> Open{{0, 8 + int64_t(RootHeader.RawSize) + (RootHeader.RawSize & 1), 0}};
  THeader Header;
  for (int64_t P = 12;;) {
    bool Found;
    try {
      Found = ReadHeader(Source, P, Header);
    } catch (const std::exception&) {
      break;
    }
    if (!Found) break;
    while (!Open.empty() && !(Open.back().Offset < P && P < Open.back().End)) Open.pop_back();
    const int64_t Raw = Header.RawSize;
    const int64_t Rounded = Raw + (Raw & 1);
    if (Open.empty() || Raw < 0 || (Header.IsForm && Raw < 4) || P + 8 + Rounded > FileLimit) break;
    TChildCounts& Parent = Counts[Open.back().Index];
    if (Header.IsForm) {
      ++Parent.Forms;
      Open.push_back({P, P + 8 + Rounded, Counts.size()});
      Counts.emplace_back();
      P += 12;
    } else {
      ++Parent.Chunks;
      P += 8 + Rounded;
    }
  }
  return Counts;
}

// Room for Count chunks at once. A long list gets memory the system may back
// with large pages: touching a fresh page costs more than storing the chunks
// on it, and large pages need a fraction of the touches.
void ReserveChunks(std::vector<TChunk>& Chunks, size_t Count) {
  Chunks.reserve(Count);
  constexpr size_t LargePage = size_t(2) << 20;
  const size_t Bytes = Count * sizeof(TChunk);
  if (Bytes < 2 * LargePage) return;
  const auto Start = (reinterpret_cast<uintptr_t>(Chunks.data()) + LargePage - 1) & ~(LargePage - 1);
  const auto End = (reinterpret_cast<uintptr_t>(Chunks.data()) + Bytes) & ~(LargePage - 1);
  if (End > Start) ::madvise(reinterpret_cast<void*>(Start), End - Start, MADV_HUGEPAGE);  // advice only
}

}  // namespace

TForm::~TForm() {
  // Children are taken over before each form dies, so every destructor that
  // runs meets an empty list and the depth of the tree never reaches the stack.
  std::vector<std::unique_ptr<TForm>> Pending = std::move(Forms);
  while (!Pending.empty()) {
    std::unique_ptr<TForm> Form = std::move(Pending.back());
    Pending.pop_back();
    for (auto& Child : Form->Forms) Pending.push_back(std::move(Child));
    Form->Forms.clear();
  }
}

TIffReader::TIffReader(const std::string& FileName, bool ReadOnly) : FFileName(FileName), FReadOnly(ReadOnly) {
  FStream = std::make_unique<TFileStream>(FileName, ReadOnly ? TFileMode::OpenRead : TFileMode::OpenReadWrite);
  const int64_t FileSize = FStream->Size();
  if (FileSize > OffsetLimit)
    throw EIffReader("TIffReader: " + FFileName + ", file too large (" + std::to_string(FileSize) + " bytes, at most " +
                     std::to_string(OffsetLimit) + ")!");
  FRoot = std::make_unique<TForm>();
  Index();
  FCurrentForm = FRoot.get();
}

TIffReader::~TIffReader() = default;

void TIffReader::Index() {
  TScanSlotHold Hold(FStream.get());
  TScanSlot& Slot = Hold.Slot();
  THeaderSource Source(*FStream);

  // A size field is a signed 32-bit count rounded up to even. A negative one,
  // one that cannot be rounded, a FORM too small for its type, or an item
  // reaching past the last offset the format can name would send the scan
  // backwards or wrap it; the file is refused instead.
  auto CheckedSize = [this](int64_t P, const THeader& Header) {
    const int64_t Raw = Header.RawSize;
    const int64_t Rounded = Raw + (Raw & 1);
    if (Raw < 0 || (Header.IsForm && Raw < 4) || P + 8 + Rounded > OffsetLimit) [[unlikely]]
      FailAt(", invalid size at offset ", P);
    return int32_t(Rounded);
  };

  THeader Header;
  Slot.ScanPosition = 0;
  if (!ReadHeader(Source, 0, Header)) throw EIffReader("TIffReader: " + FFileName + "not a valid .iff file!");
  FRoot->Tag = Header.Tag;
  FRoot->Offset = 0;
  FRoot->Size = CheckedSize(0, Header);
  FRoot->Parent = nullptr;
  FRootIsChunk = !Header.IsForm;
  const std::vector<TChildCounts> Counts = CountChildren(Source, Header, OffsetLimit);
  auto Reserve = [&Counts](TForm& Form, size_t Number) {
    if (Number >= Counts.size()) return;
    ReserveChunks(Form.Chunks, size_t(Counts[Number].Chunks));
    Form.Forms.reserve(size_t(Counts[Number].Forms));
  };
  Reserve(*FRoot, 0);
  size_t FormsMade = 1;

  TForm* Current = FRoot.get();
  int64_t CurrentEnd = 8 + int64_t(Current->Size);
  int64_t P = Header.IsForm ? 12 : CurrentEnd;
  for (;;) {
    Slot.ScanPosition = int32_t(P);
    if (!ReadHeader(Source, P, Header)) break;
    while (!(Current->Offset < P && P < CurrentEnd)) {
      Current = Current->Parent;
      if (!Current) [[unlikely]]
        FailAt(", error at offset ", P);
      CurrentEnd = Current->Offset + 8 + int64_t(Current->Size);
    }
    const int32_t Size = CheckedSize(P, Header);
    if (Header.IsForm) {
      auto Form = std::make_unique<TForm>();
      Form->Tag = Header.Tag;
      Form->Offset = int32_t(P);
      Form->Size = Size;
      Form->Parent = Current;
      Reserve(*Form, FormsMade++);
      TForm* Child = Form.get();
      Current->Forms.push_back(std::move(Form));
      Current = Child;
      CurrentEnd = P + 8 + Size;
      P += 12;
    } else {
      // Built in place: a chunk assembled aside and copied in costs a stall per item.
      TChunk& Chunk = Current->Chunks.emplace_back();
      Chunk.Tag = Header.Tag;
      Chunk.Offset = int32_t(P);
      Chunk.Size = Size;
      Chunk.Parent = Current;
      P += 8 + int64_t(Size);
    }
  }
}

void TIffReader::FailAt(const char* What, int64_t Offset) const {
  throw EIffReader("TIffReader: " + FFileName + What + HexDigits(uint32_t(Offset), 8) + "!");
}

const TChunk& TIffReader::RequireOpenChunk(const char* Message) const {
  if (!FOpenChunk) throw EIffReader(Message);
  return *FOpenChunk;
}

TForm* TIffReader::FindForm(const TIffTag& Tag) const {
  const auto& Forms = FCurrentForm->Forms;
  auto Key = [](const TIffTag& T) {
    uint32_t K;
    std::memcpy(&K, T.Bytes.data(), 4);
    return K;
  };
  if (Forms.size() < 64) {
    for (const auto& Form : Forms)
      if (Form->Tag == Tag) return Form.get();
    return nullptr;
  }
  auto [Table, Made] = FFirstOfTag.try_emplace(FCurrentForm);
  if (Made)
    for (const auto& Form : Forms) Table->second.try_emplace(Key(Form->Tag), Form.get());
  const auto Found = Table->second.find(Key(Tag));
  return Found == Table->second.end() ? nullptr : Found->second;
}

void TIffReader::OpenForm(const TIffTag& Tag) {
  if (FOpenChunk)
    throw EIffReader("TIffReader: Attempt to open new form, but chunk " + FOpenChunk->Tag.ToText() + " is still open!");
  if (TForm* Form = FindForm(Tag)) {
    FCurrentForm = Form;
    return;
  }
  throw EIffReader("TIffReader: Form (" + Tag.ToText() + ") doesn't exist!");
}

void TIffReader::CloseForm() {
  if (FOpenChunk)
    throw EIffReader("TIffReader: Attempt to close form, but chunk " + FOpenChunk->Tag.ToText() + " is still open!");
  if (!FCurrentForm->Parent) throw EIffReader("TIffReader: Cannot close last form!");
  FCurrentForm = FCurrentForm->Parent;
}

bool TIffReader::FormExists(const TIffTag& Tag) const { return FindForm(Tag) != nullptr; }

int32_t TIffReader::FormCount() const {
  if (FOpenChunk) throw EIffReader("TIffReader: Must close chunk before reading parent form!");
  return int32_t(FCurrentForm->Forms.size());
}

int32_t TIffReader::ChunkCount() const {
  if (FOpenChunk) throw EIffReader("TIffReader: Must close chunk before reading parent form!");
  return int32_t(FCurrentForm->Chunks.size());
}

TForm* TIffReader::GetForm(int32_t Index) const {
  if (Index < 0 || size_t(Index) >= FCurrentForm->Forms.size())
    throw EIffReader("TIffReader: Form (index = " + std::to_string(Index) + ") doesn't exist!");
  return FCurrentForm->Forms[size_t(Index)].get();
}

void TIffReader::OpenChunk(const TIffTag& Tag) {
  for (const TChunk& Chunk : FCurrentForm->Chunks) {
    if (Chunk.Tag == Tag) {
      FStream->Seek(int64_t(Chunk.Offset) + 8);
      FOpenChunk = &Chunk;
      DropHeldChunk();
      return;
    }
  }
  throw EIffReader("TIffReader[Form: " + FCurrentForm->Tag.ToText() + "]: Chunk (" + Tag.ToText() + ") doesn't exist!");
}

void TIffReader::OpenChunkByIndex(int32_t Index) {
  if (FOpenChunk)
    throw EIffReader("TIffReader: Attempt to open new chunk, but chunk " + FOpenChunk->Tag.ToText() +
                     " is still open!");
  if (Index < 0 || size_t(Index) >= FCurrentForm->Chunks.size())
    throw EIffReader("TIffReader: Chunk (index = " + std::to_string(Index) + ") doesn't exist!");
  const TChunk& Chunk = FCurrentForm->Chunks[size_t(Index)];
  FStream->Seek(int64_t(Chunk.Offset) + 8);
  FOpenChunk = &Chunk;
  DropHeldChunk();
}

void TIffReader::CloseChunk() {
  RequireOpenChunk("TIffReader: No chunk is open!");
  FOpenChunk = nullptr;
  DropHeldChunk();
}

bool TIffReader::WindowHolds(const TChunk& Chunk) {
  if (!FWindowValid) return false;
  const int64_t DataStart = int64_t(Chunk.Offset) + 8;
  const int64_t End = FWindowStart + int64_t(FWindowLength);
  // Every byte of the chunk the file held when the window was read.
  if (DataStart < FWindowStart || !(DataStart + Chunk.Size <= End || FWindowAtEnd)) return false;
  FHeldOffset = int32_t(std::min(DataStart, End) - FWindowStart);
  FHeldLength = int32_t(std::clamp<int64_t>(End - DataStart, 0, Chunk.Size));
  FHeldValid = true;
  return true;
}

void TIffReader::HoldChunk(const TChunk& Chunk) {
  if (WindowHolds(Chunk)) return;
  // From the chunk's data on, as far as its form reaches (up to the limit):
  // the chunks that follow in the form are read with it.
  const int64_t DataStart = int64_t(Chunk.Offset) + 8;
  const TForm* Form = Chunk.Parent;
  const int64_t FormEnd = Form ? int64_t(Form->Offset) + 8 + Form->Size : DataStart + Chunk.Size;
  const int32_t Want = int32_t(std::max<int64_t>(Chunk.Size, std::min<int64_t>(HeldChunkLimit, FormEnd - DataStart)));
  if (FWindow.size() < size_t(Want)) FWindow.resize(size_t(Want));
  FWindowValid = false;
  FWindowLength = ReadAt(DataStart, FWindow.data(), Want);
  FWindowStart = DataStart;
  FWindowAtEnd = FWindowLength < Want;
  FWindowValid = true;
  WindowHolds(Chunk);
}

TIffTag TIffReader::CurrentTag() const { return FOpenChunk ? FOpenChunk->Tag : FCurrentForm->Tag; }

int32_t TIffReader::CurrentSize() const { return FOpenChunk ? FOpenChunk->Size : FCurrentForm->Size; }

namespace {

[[noreturn]] void FailCount(int32_t Count) {
  throw EIffReader("TIffReader: Cannot read " + std::to_string(Count) + " bytes!");
}
[[noreturn]] void FailBeyondChunk() { throw EIffReader("TIffReader: Read beyond end of chunk!"); }
[[noreturn]] void FailInsideString(const std::string& FileName) {
  throw EIffReader("TIffReader: " + FileName + " ends inside a string!");
}

}  // namespace

int32_t THeldChunk::Read(void* Buffer, int32_t Count) {
  if (Count < 0) FailCount(Count);
  if (FPassed + Count > FSize) FailBeyondChunk();
  // What the file held there, fewer only where it ended.
  const int32_t Got = int32_t(std::clamp<int64_t>(FHeld - FPassed, 0, Count));
  if (Got > 0) std::memcpy(Buffer, FData + FPassed, size_t(Got));
  FPassed += Got;
  return Got;
}

int32_t THeldChunk::ReadString(std::string& S) {
  // The text up to the zero byte; else the file ended inside the chunk, or
  // the chunk ended first.
  if (FPassed >= FSize) FailBeyondChunk();
  const int64_t Start = std::min<int64_t>(FPassed, FHeld);
  const uint8_t* First = FData + Start;
  const void* Zero = FHeld > Start ? std::memchr(First, 0, size_t(FHeld - Start)) : nullptr;
  if (!Zero) {
    if (FHeld < FSize) FailInsideString(FFileName);
    FailBeyondChunk();
  }
  const size_t Length = size_t(static_cast<const uint8_t*>(Zero) - First);
  S.assign(reinterpret_cast<const char*>(First), Length);
  FPassed = Start + int64_t(Length) + 1;
  return int32_t(S.size());
}

int32_t TIffReader::Read(void* Buffer, int32_t Count) {
  const TChunk& Chunk = RequireOpenChunk("TIffReader: Must open chunk before reading!");
  if (Count < 0) FailCount(Count);
  const int64_t Passed = FStream->Position() - (int64_t(Chunk.Offset) + 8);
  if (Passed + Count > Chunk.Size) FailBeyondChunk();
  if (!FHeldValid && Chunk.Size <= HeldChunkLimit && !WindowHolds(Chunk) && Count < Chunk.Size - Passed)
    HoldChunk(Chunk);
  if (!FHeldValid) return FStream->Read(Buffer, Count);
  // Served from memory.
  THeldChunk Held(FWindow.data() + FHeldOffset, FHeldLength, Chunk.Size, FFileName, Passed);
  const int32_t Got = Held.Read(Buffer, Count);
  FStream->Seek(FStream->Position() + Got);
  return Got;
}

int32_t TIffReader::ReadString(std::string& S) {
  // Read in growing blocks rather than byte by byte: a crafted name of
  // megabytes must not cost a read per byte. Everything after the zero byte
  // is handed back by moving the position to just past it, so the outcome
  // (string, position, messages) is that of reading one byte at a time.
  const TChunk& Chunk = RequireOpenChunk("TIffReader: Must open chunk before reading!");
  const int64_t DataStart = int64_t(Chunk.Offset) + 8;
  if (!FHeldValid && Chunk.Size <= HeldChunkLimit) HoldChunk(Chunk);
  if (FHeldValid) {
    // The same outcome as the block reads below.
    THeldChunk Held(FWindow.data() + FHeldOffset, FHeldLength, Chunk.Size, FFileName, FStream->Position() - DataStart);
    const int32_t Length = Held.ReadString(S);
    FStream->Seek(DataStart + Held.Passed());
    return Length;
  }
  constexpr int32_t FirstBlock = 256;
  constexpr int32_t LargestBlock = 1 << 20;
  std::string Text;
  int32_t Block = FirstBlock;
  for (;;) {
    const int64_t Left = int64_t(Chunk.Size) - (FStream->Position() - DataStart);
    if (Left <= 0) FailBeyondChunk();
    const int32_t Want = int32_t(std::min<int64_t>(Block, Left));
    const size_t Had = Text.size();
    const int64_t Start = FStream->Position();
    Text.resize(Had + size_t(Want));
    const int32_t Got = FStream->Read(Text.data() + Had, Want);
    if (const void* Zero = std::memchr(Text.data() + Had, 0, size_t(Got))) {
      const size_t Length = size_t(static_cast<const char*>(Zero) - Text.data());
      Text.resize(Length);
      FStream->Seek(Start + int64_t(Length - Had) + 1);
      break;
    }
    Text.resize(Had + size_t(Got));
    if (Got < Want) FailInsideString(FFileName);
    Block = std::min(Block * 2, LargestBlock);
  }
  S = std::move(Text);
  return int32_t(S.size());
}

int32_t TIffReader::Write(const void* Buffer, int32_t Count) {
  if (FReadOnly) throw EIffReader("TIffReader: Cannot write, " + FFileName + " is open for reading only!");
  const TChunk& Chunk = RequireOpenChunk("TIffReader: Must open chunk before writing!");
  if (Count < 0) throw EIffReader("TIffReader: Cannot write " + std::to_string(Count) + " bytes!");
  const int64_t Passed = FStream->Position() - (int64_t(Chunk.Offset) + 8);
  if (Passed + Count > Chunk.Size) throw EIffReader("TIffReader: Write beyond end of chunk!");
  // A chunk of a cut-short file may claim bytes the file lacks; writing them
  // would grow the file, and the reader never changes its length.
  if (FStream->Position() + Count > FStream->Size())
    throw EIffReader("TIffReader: Write beyond end of file " + FFileName + "!");
  DropHeldChunk();
  FWindowValid = false;
  const int32_t Written = FStream->Write(Buffer, Count);
  // Overwriting bytes that exist cannot come up short unless the disk fails;
  // a caller that saves must not take a partial write for a save.
  if (Written != Count)
    throw EIffReader("TIffReader: Only " + std::to_string(Written) + " of " + std::to_string(Count) +
                     " bytes could be written to " + FFileName + "!");
  return Written;
}

int32_t TIffReader::Position() const {
  const TChunk& Chunk = RequireOpenChunk("TIffReader: Must open chunk before seeking!");
  return int32_t(FStream->Position() - Chunk.Offset);
}

std::vector<uint8_t> TIffReader::ReadBytes(int64_t Offset, int32_t Count) {
  // Memory for no more than the file holds, whatever a size field claims.
  const int64_t InFile = std::max<int64_t>(0, FStream->Size() - Offset);
  std::vector<uint8_t> Bytes(size_t(std::clamp<int64_t>(Count, 0, InFile)));
  Bytes.resize(size_t(ReadAt(Offset, Bytes.data(), int32_t(Bytes.size()))));
  return Bytes;
}

int32_t TIffReader::ReadAt(int64_t Offset, uint8_t* Into, int32_t Count) {
  const int64_t Position = FStream->Position();
  FStream->Seek(Offset);
  // Back where the caller was however the read ends.
  struct TBack {
    TFileStream& Stream;
    int64_t Position;
    ~TBack() { Stream.Seek(Position); }
  } Back{*FStream, Position};
  return FStream->Read(Into, Count);
}

void TIffReader::Flush() { FStream->Flush(); }

TFileIdentity TIffReader::Identity() const { return FStream->Identity(); }
