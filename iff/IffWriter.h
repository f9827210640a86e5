#pragma once
// TIffWriter writes a new IFF file front to back: forms and chunks are opened
// and closed in strict nesting, sizes are counted as bytes pass and patched in
// when each item closes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "iff/IffTypes.h"
#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EIffWriter);

enum TWriterMode : uint8_t { wmMemory = 0, wmFile = 1 };

class TBasicWriter {
public:
  TBasicWriter(const std::string& FileName, TWriterMode Mode) : FileName(FileName), Mode(Mode) {}
  virtual ~TBasicWriter() = default;

  virtual void Flush() = 0;
  virtual int32_t GetPosition() = 0;
  virtual void Abort() = 0;
  virtual int32_t OpenChunk(const TIffTag& Tag) = 0;
  virtual int32_t CloseChunk() = 0;
  virtual int32_t OpenForm(const TIffTag& Tag) = 0;
  virtual int32_t OpenForm(int32_t Value) = 0;
  virtual int32_t CloseForm() = 0;
  virtual int32_t Write(const void* Buffer, int32_t Count) = 0;
  virtual int32_t WriteCompressed(const void* Buffer, int32_t Count);
  virtual int32_t WriteInteger(int32_t Value);
  virtual int32_t WriteSingle(float Value);
  virtual int32_t WriteStringCRC(const std::string& S);
  virtual int32_t WriteString(const std::string& S);

  const std::string FileName;
  const TWriterMode Mode;
};

class TIffWriter : public TBasicWriter {
public:
  // wmFile creates (or truncates) the file at once; wmMemory keeps everything
  // in memory until Destroy.
  TIffWriter(const std::string& FileName, TWriterMode Mode);
  // Releases the stream without saving when Destroy or Abort did not run.
  ~TIffWriter() override;

  void Flush() override;
  int32_t GetPosition() override;
  // Releases the stream unsaved and deletes the file FileName if one exists.
  void Abort() override;
  int32_t OpenChunk(const TIffTag& Tag) override;
  int32_t CloseChunk() override;
  int32_t OpenForm(const TIffTag& Tag) override;
  int32_t OpenForm(int32_t Value) override;
  int32_t CloseForm() override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  // Refuses while a form is open; otherwise Flush, then closes the stream.
  // Call it to finish the file: the destructor alone saves nothing.
  void Destroy();
  // In wmMemory, the bytes written so far, for a caller that puts the file
  // on disk its own way (complete or absent) instead of through Destroy;
  // raises in wmFile and once the writer is closed.
  const std::vector<uint8_t>& MemoryBytes() const;

private:
  struct TItemRecord {
    TIffTag Tag;
    int32_t Offset = 0;
    int32_t Size = 0;
  };
  class TOutput;
  TOutput& Output() const;                      // raises once the writer has been closed
  void Put(const void* Buffer, int32_t Count);  // uncounted bytes; a short write raises
  void CheckRoom(int64_t Count) const;
  void CountIntoForms(int32_t Count);
  void PatchSize(int32_t Offset, int32_t Size);

  std::unique_ptr<TOutput> FStream;
  std::unique_ptr<TItemRecord> FOpenChunkNode;  // the open chunk, or none
  std::vector<TItemRecord> FFormStack;          // open forms, innermost last
};
