#pragma once
// TIffReader indexes an IFF file in one pass over its headers and then lets
// its caller walk the tree by tag or by index, read the data of one chunk at a
// time and overwrite bytes of a chunk in place. It never changes structure.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "iff/IffTypes.h"
#include "runtime/Exception.h"

class TFileStream;
struct TFileIdentity;

QUELBIR_EXCEPTION(EIffReader);
QUELBIR_EXCEPTION(EIffReader_NoFreeFileHandles);
QUELBIR_EXCEPTION(EIffReader_ErrorInChunk);
QUELBIR_EXCEPTION(EIffReader_ErrorInForm);

class TForm;

// A chunk's data in memory, read as TIffReader reads its open chunk, with
// the same results, errors and messages: Size bytes as the index counts
// them, of which the file held the first Held (fewer than Size where the
// file ended inside the chunk). The reader serves its chunks held in memory
// through it, and a caller that read many chunks at once (ReadBytes) reads
// each of them with it.
class THeldChunk {
public:
  THeldChunk(const uint8_t* Data, int32_t Held, int32_t Size, const std::string& FileName, int64_t Passed = 0)
      : FData(Data), FHeld(Held), FSize(Size), FFileName(FileName), FPassed(Passed) {}
  // TIffReader::Read: Count bytes, fewer only where the file ended.
  int32_t Read(void* Buffer, int32_t Count);
  // TIffReader::ReadString: the text up to the zero byte, which is passed.
  int32_t ReadString(std::string& S);
  // The bytes of the chunk not yet read, as the index counts them.
  int64_t Left() const { return FSize - FPassed; }
  int64_t Passed() const { return FPassed; }

private:
  const uint8_t* FData;
  int32_t FHeld, FSize;
  const std::string& FFileName;
  int64_t FPassed;
};

struct TIffItem {
  TIffTag Tag;         // chunk tag, or the form type of a FORM
  int32_t Offset = 0;  // file offset of the item's first header byte
  int32_t Size = 0;    // header size field, rounded up to even
  TForm* Parent = nullptr;
};

struct TChunk : TIffItem {};

class TForm : public TIffItem {
public:
  TForm() = default;
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;
  // Destroys the whole subtree without recursing, however deep it is.
  virtual ~TForm();

  std::vector<TChunk> Chunks;                 // file order
  std::vector<std::unique_ptr<TForm>> Forms;  // file order
};

class TIffReader {
public:
  // Opens FileName for reading and writing (others may read and write it too)
  // and indexes it. ReadOnly opens it for reading only, for callers that never
  // write; Write then refuses.
  explicit TIffReader(const std::string& FileName, bool ReadOnly = false);
  ~TIffReader();
  TIffReader(const TIffReader&) = delete;
  TIffReader& operator=(const TIffReader&) = delete;

  void OpenForm(const TIffTag& Tag);
  void CloseForm();
  bool FormExists(const TIffTag& Tag) const;
  int32_t FormCount() const;
  int32_t ChunkCount() const;
  TForm* GetForm(int32_t Index) const;
  void OpenChunk(const TIffTag& Tag);
  void OpenChunkByIndex(int32_t Index);
  void CloseChunk();
  TIffTag CurrentTag() const;
  int32_t CurrentSize() const;
  // A chunk of up to HeldChunkLimit bytes is read from the file whole, with
  // one call, at its first read that asks for less than the rest of it,
  // together with the chunks after it in its form (up to HeldChunkLimit
  // bytes in all); its later reads and strings, and those of the chunks read
  // with it, are served from memory, with the same results and messages as
  // reading the file piece by piece. A larger chunk, or one read whole at
  // once and not read with another, goes straight to the file.
  int32_t Read(void* Buffer, int32_t Count);
  int32_t ReadString(std::string& S);
  static constexpr int32_t HeldChunkLimit = 1 << 20;
  int32_t Write(const void* Buffer, int32_t Count);
  int32_t Position() const;
  // The file's bytes from Offset on, Count of them or fewer where the file
  // ends, with one read, whatever chunk is open (its position stays): for a
  // caller that reads many small chunks at once and each from memory
  // (THeldChunk). Never more than the file holds.
  std::vector<uint8_t> ReadBytes(int64_t Offset, int32_t Count);
  // Pushes bytes written through Write to the disk; raises when it cannot.
  void Flush();

  const std::string& FileName() const { return FFileName; }
  // The open file's identity (runtime/FileLayer.h), whatever name it has now.
  TFileIdentity Identity() const;
  TForm* Root() const { return FRoot.get(); }
  TForm* CurrentForm() const { return FCurrentForm; }
  const TChunk* OpenChunkItem() const { return FOpenChunk; }
  // True when the file begins with a chunk rather than a FORM: the root then
  // stands for that chunk and has no children.
  bool RootIsChunk() const { return FRootIsChunk; }

private:
  void Index();
  // The current form's first sub-form of Tag, or null. A form of many
  // sub-forms gets a table of the first of each tag at its first search, so
  // that opening every level of a container of thousands costs one pass
  // over it rather than one per level.
  TForm* FindForm(const TIffTag& Tag) const;
  [[noreturn]] void FailAt(const char* What, int64_t Offset) const;
  const TChunk& RequireOpenChunk(const char* Message) const;
  // Serves the open chunk from memory: from the window when it holds the
  // chunk, else from a window read anew at the chunk's data.
  void HoldChunk(const TChunk& Chunk);
  // Count bytes from Offset of the file into Into, the stream left where it
  // was: what the file gave.
  int32_t ReadAt(int64_t Offset, uint8_t* Into, int32_t Count);
  // True, and the chunk served from it, when the window holds every byte of
  // Chunk the file held.
  bool WindowHolds(const TChunk& Chunk);
  void DropHeldChunk() { FHeldValid = false; }

  std::string FFileName;
  std::unique_ptr<TForm> FRoot;
  std::unique_ptr<TFileStream> FStream;
  TForm* FCurrentForm = nullptr;
  const TChunk* FOpenChunk = nullptr;
  bool FReadOnly = false;
  bool FRootIsChunk = false;
  // Bytes of the file as one read found them: FWindowLength bytes from
  // FWindowStart (FWindowAtEnd: the file ended there). Dropped at a write.
  std::vector<uint8_t> FWindow;
  int64_t FWindowStart = 0;
  int32_t FWindowLength = 0;
  bool FWindowAtEnd = false;
  bool FWindowValid = false;
  // The open chunk served from the window: its bytes at FHeldOffset, the
  // FHeldLength of them the file held (fewer than its size where it ended).
  int32_t FHeldOffset = 0;
  int32_t FHeldLength = 0;
  bool FHeldValid = false;
  mutable std::unordered_map<const TForm*, std::unordered_map<uint32_t, TForm*>> FFirstOfTag;
};
