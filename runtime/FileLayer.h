#pragma once
// The file layer: where the system reads and writes files' bytes (with
// runtime/OutputFiles.h, which writes the program's outputs through it).
// Names, not bytes, go around it: the check lists folders and asks a file's
// size through the standard library.
// File names are used unchanged; relative names resolve against the current
// directory.
#include <cstdint>
#include <string>

#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EFOpenError);      // "Cannot open file %s"
QUELBIR_EXCEPTION(EFCreateError);    // "Cannot create file %s"
QUELBIR_EXCEPTION(EInOutError);      // a read, write, seek or flush the file refused
QUELBIR_EXCEPTION(ENotRegularFile);  // "%s is not a regular file"

enum class TFileMode {
  OpenReadWrite,  // existing file, read and write, others may read and write it too
  OpenRead,       // existing file, read only
  Create,         // create, or truncate an existing file, read and write
  CreateNew,      // create a file no name holds yet, read and write
  OpenOrCreate,   // an existing file as it is, or a new one, read and write
};

// A pipe or a device is no file to read or write: a pipe would block its
// opener for ever, a device never end. Raises ENotRegularFile
// (FileName + " is not a regular file") for them. A folder is refused as
// opening it in Mode refuses it: EFOpenError ("Cannot open file " +
// FileName) or, for the create modes, EFCreateError ("Cannot create file "
// + FileName). A link is followed. A name that does not exist passes: an
// open says so in its own words, and an output is created.
void RequireRegularFile(const std::string& FileName, TFileMode Mode);

// What tells one file on disk and its content apart: the same values mean
// the same file, unchanged (as far as its size and time of change show).
struct TFileIdentity {
  uint64_t Device = 0, Inode = 0;
  int64_t Size = 0, ChangedSeconds = 0, ChangedNanoseconds = 0;
  bool operator==(const TFileIdentity&) const = default;
};

bool FileExists(const std::string& FileName);  // an existing regular file
bool NameExists(const std::string& FileName);  // anything on disk by that name, a link followed
bool DeleteFile(const std::string& FileName);  // true when the file was removed
// Gives From's file the name To in one step, replacing a file named To, so a
// reader of To sees the old file or the new one and never a part; true when
// done. Both names must lie on the same file system.
bool RenameFile(const std::string& From, const std::string& To);
// Gives From's file the second name To, which no file may hold yet; true
// when done. Not every file system keeps two names of one file.
bool LinkFile(const std::string& From, const std::string& To);

class TFileStream {
public:
  // Raises EFOpenError ("Cannot open file " + FileName) for the open modes and
  // EFCreateError ("Cannot create file " + FileName) for the create modes,
  // a folder included; ENotRegularFile (RequireRegularFile) before opening a
  // pipe or a device. ShownName, when given, stands for FileName in every
  // message and in FileName() (a temporary file written for the user's).
  TFileStream(const std::string& FileName, TFileMode Mode, const std::string& ShownName = "");
  ~TFileStream();
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  const std::string& FileName() const { return FFileName; }
  int64_t Size() const;  // current length of the file
  int64_t Position() const { return FPosition; }
  void Seek(int64_t Offset);  // absolute; may lie past the end
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
  // Cuts the file to Size bytes (or lengthens it with zeros).
  void Truncate(int64_t Size);
  // The open file's identity, whatever name it has now.
  TFileIdentity Identity() const;

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
  int (*rename)(const char* From, const char* To);
  int (*link)(const char* From, const char* To);
};
TFileCalls& FileCalls();
void ResetFileCalls();
