#include "iff/IffWriter.h"

#include <zlib.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "iff/crc32.h"
#include "runtime/FileLayer.h"

namespace {

// Offsets and sizes in the format are 32-bit signed: a file may not grow past
// the last offset they can name.
constexpr int64_t OffsetLimit = std::numeric_limits<int32_t>::max();

// The checksum routine of the format copies a string into a 256-byte buffer
// with its terminator, so longer strings have no checksum a peer would agree on.
constexpr size_t MaxChecksumLength = 255;

void PutBigEndian32(uint8_t* Bytes, int32_t Value) {
  const auto U = uint32_t(Value);
  Bytes[0] = uint8_t(U >> 24);
  Bytes[1] = uint8_t(U >> 16);
  Bytes[2] = uint8_t(U >> 8);
  Bytes[3] = uint8_t(U);
}

void PutLittleEndian32(uint8_t* Bytes, uint32_t Value) {
  Bytes[0] = uint8_t(Value);
  Bytes[1] = uint8_t(Value >> 8);
  Bytes[2] = uint8_t(Value >> 16);
  Bytes[3] = uint8_t(Value >> 24);
}

}  // namespace

// ---------------------------------------------------------------------------
// The shared typed writes

int32_t TBasicWriter::WriteCompressed(const void* Buffer, int32_t Count) {
  if (Count < 0) throw EIffWriter("TBasicWriter.WriteCompressed: Invalid byte count " + std::to_string(Count) + "!");
  // Always above zlib's worst case (input + 0.1 % + 12 bytes).
  const auto Capacity = uLongf(std::llround(double(Count) * 1.1 + 32.0));
  std::vector<Bytef> Packed(Capacity);
  uLongf PackedLength = Capacity;
  const int Code =
      compress2(Packed.data(), &PackedLength, static_cast<const Bytef*>(Buffer), uLong(Count), Z_DEFAULT_COMPRESSION);
  if (Code != Z_OK)
    throw EIffWriter(std::string("TBasicWriter.WriteCompressed: Compression failed (") + zError(Code) + ")!");
  return Write(Packed.data(), int32_t(PackedLength));
}

int32_t TBasicWriter::WriteInteger(int32_t Value) {
  uint8_t Bytes[4];
  PutLittleEndian32(Bytes, uint32_t(Value));
  return Write(Bytes, 4);
}

int32_t TBasicWriter::WriteSingle(float Value) {
  static_assert(sizeof(float) == 4);
  uint32_t Bits;
  std::memcpy(&Bits, &Value, 4);
  uint8_t Bytes[4];
  PutLittleEndian32(Bytes, Bits);
  return Write(Bytes, 4);
}

int32_t TBasicWriter::WriteStringCRC(const std::string& S) {
  if (S.size() > MaxChecksumLength)
    throw EIffWriter("TBasicWriter.WriteStringCRC: String of " + std::to_string(S.size()) +
                     " characters is longer than 255!");
  uint8_t Bytes[4];
  PutLittleEndian32(Bytes, StringCRC(S));
  return Write(Bytes, 4);
}

int32_t TBasicWriter::WriteString(const std::string& S) {
  if (S.size() >= size_t(OffsetLimit))
    throw EIffWriter("TBasicWriter.WriteString: String of " + std::to_string(S.size()) + " characters is too long!");
  return Write(S.c_str(), int32_t(S.size() + 1));  // the characters and the zero byte after them
}

// ---------------------------------------------------------------------------
// The output: a growable memory stream, or the file written directly

class TIffWriter::TOutput {
public:
  // Memory.
  TOutput() = default;
  // A created (or truncated) file.
  explicit TOutput(const std::string& FileName) : FFile(std::make_unique<TFileStream>(FileName, TFileMode::Create)) {}

  int64_t Position() const { return FFile ? FFile->Position() : FPosition; }
  void Seek(int64_t Offset) {
    if (FFile)
      FFile->Seek(Offset);
    else
      FPosition = Offset;
  }
  // Writes at Position and advances; returns what the medium took.
  int32_t Write(const void* Buffer, int32_t Count) {
    if (FFile) return FFile->Write(Buffer, Count);
    if (Count == 0) return 0;
    const auto End = size_t(FPosition) + size_t(Count);
    if (End > FMemory.size()) FMemory.resize(End);
    std::memcpy(FMemory.data() + FPosition, Buffer, size_t(Count));
    FPosition = int64_t(End);
    return Count;
  }
  // Saves the memory stream into FileName, replacing any file of that name.
  void Save(const std::string& FileName) const {
    TFileStream File(FileName, TFileMode::Create);
    const int32_t Count = int32_t(FMemory.size());  // never beyond the offset limit
    const int32_t Written = File.Write(FMemory.data(), Count);
    if (Written != Count)
      throw EIffWriter("TIffWriter.Flush: Only " + std::to_string(Written) + " of " + std::to_string(Count) +
                       " bytes could be saved to " + FileName + "!");
  }
  bool InMemory() const { return !FFile; }
  const std::vector<uint8_t>& Memory() const { return FMemory; }

private:
  std::unique_ptr<TFileStream> FFile;
  std::vector<uint8_t> FMemory;
  int64_t FPosition = 0;
};

// ---------------------------------------------------------------------------
// TIffWriter

TIffWriter::TIffWriter(const std::string& FileName, TWriterMode Mode) : TBasicWriter(FileName, Mode) {
  FStream = Mode == wmFile ? std::make_unique<TOutput>(FileName) : std::make_unique<TOutput>();
}

TIffWriter::~TIffWriter() = default;

TIffWriter::TOutput& TIffWriter::Output() const {
  if (!FStream) throw EIffWriter("TIffWriter: " + FileName + " is already closed!");
  return *FStream;
}

void TIffWriter::Put(const void* Buffer, int32_t Count) {
  TOutput& Out = Output();
  const int32_t Written = Out.Write(Buffer, Count);
  if (Written != Count)
    throw EIffWriter("TIffWriter: Only " + std::to_string(Written) + " of " + std::to_string(Count) +
                     " bytes could be written to " + FileName + "!");
}

void TIffWriter::CheckRoom(int64_t Count) const {
  if (Output().Position() + Count > OffsetLimit)
    throw EIffWriter("TIffWriter: " + FileName + " would grow beyond " + std::to_string(OffsetLimit) + " bytes!");
}

void TIffWriter::CountIntoForms(int32_t Count) {
  for (TItemRecord& Form : FFormStack) Form.Size += Count;
}

void TIffWriter::PatchSize(int32_t Offset, int32_t Size) {
  TOutput& Out = Output();
  const int64_t Back = Out.Position();
  uint8_t Bytes[4];
  PutBigEndian32(Bytes, Size);
  Out.Seek(int64_t(Offset) + 4);
  Put(Bytes, 4);
  Out.Seek(Back);
}

void TIffWriter::Flush() {
  TOutput& Out = Output();
  if (Out.InMemory()) Out.Save(FileName);
}

int32_t TIffWriter::GetPosition() { return int32_t(Output().Position()); }

void TIffWriter::Abort() {
  FStream.reset();
  FOpenChunkNode.reset();
  FFormStack.clear();
  if (FileExists(FileName) && !DeleteFile(FileName))
    throw EIffWriter("TIffWriter.Abort: Cannot delete file " + FileName + "!");
}

int32_t TIffWriter::OpenChunk(const TIffTag& Tag) {
  TOutput& Out = Output();
  if (FFormStack.empty()) throw EIffWriter("TIffWriter.OpenChunk (" + Tag.ToText() + "): Chunk outside form!");
  if (FOpenChunkNode) throw EIffWriter("TIffWriter.OpenChunk (" + Tag.ToText() + "): Chunk inside chunk!");
  CheckRoom(8);
  const auto Offset = int32_t(Out.Position());
  uint8_t Header[8] = {Tag.Bytes[0], Tag.Bytes[1], Tag.Bytes[2], Tag.Bytes[3], 0, 0, 0, 0};
  Put(Header, 8);
  FOpenChunkNode = std::make_unique<TItemRecord>(TItemRecord{Tag, Offset, 0});
  return Offset;
}

int32_t TIffWriter::CloseChunk() {
  TOutput& Out = Output();
  if (!FOpenChunkNode) throw EIffWriter("TIffWriter.CloseChunk: No open chunk!");
  if (FOpenChunkNode->Size & 1) {
    CheckRoom(1);
    const uint8_t Pad = 0;
    Put(&Pad, 1);
    CountIntoForms(1);
  }
  PatchSize(FOpenChunkNode->Offset, FOpenChunkNode->Size);
  CountIntoForms(8);
  FOpenChunkNode.reset();
  return int32_t(Out.Position());
}

int32_t TIffWriter::OpenForm(const TIffTag& Tag) {
  TOutput& Out = Output();
  if (FOpenChunkNode) throw EIffWriter("TIffWriter.OpenForm (" + Tag.ToText() + "): Form inside chunk!");
  CheckRoom(12);
  const auto Offset = int32_t(Out.Position());
  // The size field holds 4, the form type alone, until the form is closed.
  uint8_t Header[12] = {'F', 'O', 'R', 'M', 4, 0, 0, 0, Tag.Bytes[0], Tag.Bytes[1], Tag.Bytes[2], Tag.Bytes[3]};
  Put(Header, 12);
  FFormStack.push_back(TItemRecord{Tag, Offset, 4});
  return Offset;
}

int32_t TIffWriter::OpenForm(int32_t Value) {
  uint8_t Bytes[4];
  PutLittleEndian32(Bytes, uint32_t(Value));
  return OpenForm(TIffTag::FromBytes(Bytes));
}

int32_t TIffWriter::CloseForm() {
  TOutput& Out = Output();
  if (FFormStack.empty()) throw EIffWriter("TIffWriter.CloseForm: No open form!");
  const TItemRecord Form = FFormStack.back();
  PatchSize(Form.Offset, Form.Size);
  FFormStack.pop_back();
  CountIntoForms(12);
  return int32_t(Out.Position());
}

int32_t TIffWriter::Write(const void* Buffer, int32_t Count) {
  TOutput& Out = Output();
  if (FFormStack.empty()) throw EIffWriter("TIffWriter.Write: No open form!");
  if (Count < 0) throw EIffWriter("TIffWriter.Write: Invalid byte count " + std::to_string(Count) + "!");
  CheckRoom(Count);
  const int32_t Written = Out.Write(Buffer, Count);
  // What the medium took is counted, so the sizes describe the bytes that are
  // there even when the write then fails.
  if (FOpenChunkNode) FOpenChunkNode->Size += Written;
  CountIntoForms(Written);
  if (Written != Count)
    throw EIffWriter("TIffWriter.Write: Only " + std::to_string(Written) + " of " + std::to_string(Count) +
                     " bytes could be written to " + FileName + "!");
  return Written;
}

const std::vector<uint8_t>& TIffWriter::MemoryBytes() const {
  const TOutput& Out = Output();
  if (!Out.InMemory()) throw EIffWriter("TIffWriter: " + FileName + " is written to the disk, not held in memory!");
  return Out.Memory();
}

void TIffWriter::Destroy() {
  Output();
  if (!FFormStack.empty())
    throw EIffWriter("TIffWriter.Destroy: Form " + FFormStack.back().Tag.ToText() + " still open!");
  Flush();
  FStream.reset();
}
