#pragma once
// The file layer: the only place the system touches files. File names are
// used unchanged; relative names resolve against the current directory.
#include <cstdint>
#include <string>

#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EFOpenError);    // "Cannot open file %s"
QUELBIR_EXCEPTION(EFCreateError);  // "Cannot create file %s"
QUELBIR_EXCEPTION(EInOutError);    // a read, write, seek or flush the file refused

bool FileExists(const std::string& FileName);  // an existing regular file
bool DeleteFile(const std::string& FileName);  // true when the file was removed
// Gives From's file the name To in one step, replacing a file named To, so a
// reader of To sees the old file or the new one and never a part; true when
// done. Both names must lie on the same file system.
bool RenameFile(const std::string& From, const std::string& To);

enum class TFileMode {
  OpenReadWrite,  // existing file, read and write, others may read and write it too
  OpenRead,       // existing file, read only
  Create,         // create, or truncate an existing file, read and write
};

class TFileStream {
public:
  // Raises EFOpenError ("Cannot open file " + FileName) for the open modes and
  // EFCreateError ("Cannot create file " + FileName) for Create.
  TFileStream(const std::string& FileName, TFileMode Mode);
  ~TFileStream();
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  const std::string& FileName() const { return FFileName; }
  int64_t Size() const;                // current length of the file
  int64_t Position() const { return FPosition; }
  void Seek(int64_t Offset);           // absolute; may lie past the end
  // Reads up to Count bytes at Position and advances by what was delivered;
  // fewer only at the end of the file. A failing read raises EInOutError.
  int32_t Read(void* Buffer, int32_t Count);
  // Writes Count bytes at Position and advances by what the file took; a
  // write the file refuses outright raises EInOutError. The result may be
  // short (a full disk): the caller decides whether that is an error.
  int32_t Write(const void* Buffer, int32_t Count);
  // Pushes written bytes to the disk (fsync); raises EInOutError when the
  // system cannot.
  void Flush();

private:
  std::string FFileName;
  int FHandle = -1;
  int64_t FPosition = 0;
};

// A seam for tests that must see how callers survive a failing disk: every
// system call the file layer makes goes through these pointers, which default
// to the real calls. Restore them with ResetFileCalls().
struct TFileCalls {
  long (*pread)(int Handle, void* Buffer, unsigned long Count, long Offset);
  long (*pwrite)(int Handle, const void* Buffer, unsigned long Count, long Offset);
  int (*fsync)(int Handle);
};
TFileCalls& FileCalls();
void ResetFileCalls();
