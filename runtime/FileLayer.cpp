#include "runtime/FileLayer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

long RealPread(int Handle, void* Buffer, unsigned long Count, long Offset) {
  return ::pread(Handle, Buffer, Count, Offset);
}
long RealPwrite(int Handle, const void* Buffer, unsigned long Count, long Offset) {
  return ::pwrite(Handle, Buffer, Count, Offset);
}
int RealFsync(int Handle) { return ::fsync(Handle); }
int RealRename(const char* From, const char* To) { return ::rename(From, To); }
int RealLink(const char* From, const char* To) { return ::link(From, To); }

constexpr TFileCalls RealCalls{RealPread, RealPwrite, RealFsync, RealRename, RealLink};
TFileCalls CurrentCalls = RealCalls;

std::string SystemError(int Code) { return std::strerror(Code); }

bool IsCreating(TFileMode Mode) {
  return Mode == TFileMode::Create || Mode == TFileMode::CreateNew || Mode == TFileMode::OpenOrCreate;
}

// What an open in Mode says of a name it cannot open: a folder among them.
[[noreturn]] void CannotOpen(const std::string& FileName, TFileMode Mode) {
  if (IsCreating(Mode)) throw EFCreateError("Cannot create file " + FileName);
  throw EFOpenError("Cannot open file " + FileName);
}

// Refuses what Info describes when it is no regular file: a folder as an
// open refuses it, a pipe or a device (what `check` says of them, and every
// opener with it) as no file at all.
void RequireRegular(const struct stat& Info, const std::string& FileName, TFileMode Mode) {
  if (S_ISREG(Info.st_mode)) return;
  if (S_ISDIR(Info.st_mode)) CannotOpen(FileName, Mode);
  throw ENotRegularFile(FileName + " is not a regular file");
}

}  // namespace

TFileCalls& FileCalls() { return CurrentCalls; }
void ResetFileCalls() { CurrentCalls = RealCalls; }

bool FileExists(const std::string& FileName) {
  struct stat Info;
  return ::stat(FileName.c_str(), &Info) == 0 && S_ISREG(Info.st_mode);
}

bool NameExists(const std::string& FileName) {
  struct stat Info;
  return ::stat(FileName.c_str(), &Info) == 0;
}

bool DeleteFile(const std::string& FileName) { return ::unlink(FileName.c_str()) == 0; }

bool RenameFile(const std::string& From, const std::string& To) {
  return FileCalls().rename(From.c_str(), To.c_str()) == 0;
}

bool LinkFile(const std::string& From, const std::string& To) {
  return FileCalls().link(From.c_str(), To.c_str()) == 0;
}

void RequireRegularFile(const std::string& FileName, TFileMode Mode) {
  struct stat Info;
  if (::stat(FileName.c_str(), &Info) == 0) RequireRegular(Info, FileName, Mode);
}

TFileStream::TFileStream(const std::string& FileName, TFileMode Mode, const std::string& ShownName)
    : FFileName(ShownName.empty() ? FileName : ShownName) {
  // Refused before the open, which for a pipe would wait for a writer. The
  // open itself does not wait either (O_NONBLOCK), should a pipe take the
  // name in between; what it opened is then looked at again.
  struct stat Info;
  if (::stat(FileName.c_str(), &Info) == 0) RequireRegular(Info, FFileName, Mode);
  int Flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  switch (Mode) {
    case TFileMode::OpenReadWrite: Flags |= O_RDWR; break;
    case TFileMode::OpenRead: Flags |= O_RDONLY; break;
    case TFileMode::Create: Flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case TFileMode::CreateNew: Flags |= O_RDWR | O_CREAT | O_EXCL; break;
    case TFileMode::OpenOrCreate: Flags |= O_RDWR | O_CREAT; break;
  }
  do {
    FHandle = ::open(FileName.c_str(), Flags, 0666);
  } while (FHandle < 0 && errno == EINTR);
  if (FHandle >= 0) {
    const bool Regular = ::fstat(FHandle, &Info) == 0 && S_ISREG(Info.st_mode);
    if (Regular) ::fcntl(FHandle, F_SETFL, ::fcntl(FHandle, F_GETFL) & ~O_NONBLOCK);
    if (!Regular) {
      ::close(FHandle);
      FHandle = -1;
      RequireRegular(Info, FFileName, Mode);
    }
  }
  if (FHandle < 0) CannotOpen(FFileName, Mode);
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

int64_t TFileStream::Size() const {
  struct stat Info;
  if (::fstat(FHandle, &Info) != 0)
    throw EInOutError("Cannot get the size of file " + FFileName + ": " + SystemError(errno));
  return Info.st_size;
}

void TFileStream::Seek(int64_t Offset) {
  if (Offset < 0) throw EInOutError("Cannot seek to offset " + std::to_string(Offset) + " in file " + FFileName);
  FPosition = Offset;
}

int32_t TFileStream::Read(void* Buffer, int32_t Count) {
  if (Count < 0) throw EInOutError("Cannot read " + std::to_string(Count) + " bytes from file " + FFileName);
  auto* Target = static_cast<unsigned char*>(Buffer);
  int32_t Done = 0;
  while (Done < Count) {
    long Got =
        FileCalls().pread(FHandle, Target + Done, static_cast<unsigned long>(Count - Done), long(FPosition + Done));
    if (Got < 0) {
      if (errno == EINTR) continue;
      int Code = errno;
      FPosition += Done;
      throw EInOutError("Cannot read file " + FFileName + ": " + SystemError(Code));
    }
    if (Got == 0) break;  // the end of the file
    Done += int32_t(Got);
  }
  FPosition += Done;
  return Done;
}

int32_t TFileStream::Write(const void* Buffer, int32_t Count) {
  if (Count < 0) throw EInOutError("Cannot write " + std::to_string(Count) + " bytes to file " + FFileName);
  auto* Source = static_cast<const unsigned char*>(Buffer);
  int32_t Done = 0;
  while (Done < Count) {
    long Put =
        FileCalls().pwrite(FHandle, Source + Done, static_cast<unsigned long>(Count - Done), long(FPosition + Done));
    if (Put < 0) {
      if (errno == EINTR) continue;
      // Bytes already taken stay counted: the caller learns of a partial
      // write from the short result; a write refused outright is an error.
      if (Done > 0) break;
      throw EInOutError("Cannot write file " + FFileName + ": " + SystemError(errno));
    }
    if (Put == 0) break;
    Done += int32_t(Put);
  }
  FPosition += Done;
  return Done;
}

void TFileStream::Flush() {
  int Result;
  do {
    Result = FileCalls().fsync(FHandle);
  } while (Result != 0 && errno == EINTR);
  if (Result != 0) throw EInOutError("Cannot flush file " + FFileName + ": " + SystemError(errno));
}

void TFileStream::Truncate(int64_t Size) {
  int Result;
  do {
    Result = ::ftruncate(FHandle, off_t(Size));
  } while (Result != 0 && errno == EINTR);
  if (Result != 0) throw EInOutError("Cannot cut file " + FFileName + ": " + SystemError(errno));
}

TFileIdentity TFileStream::Identity() const {
  struct stat Info;
  if (::fstat(FHandle, &Info) != 0)
    throw EInOutError("Cannot get the status of file " + FFileName + ": " + SystemError(errno));
  return {uint64_t(Info.st_dev), uint64_t(Info.st_ino), int64_t(Info.st_size), int64_t(Info.st_mtim.tv_sec),
          int64_t(Info.st_mtim.tv_nsec)};
}
