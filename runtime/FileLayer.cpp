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

constexpr TFileCalls RealCalls{RealPread, RealPwrite, RealFsync};
TFileCalls CurrentCalls = RealCalls;

std::string SystemError(int Code) { return std::strerror(Code); }

}  // namespace

TFileCalls& FileCalls() { return CurrentCalls; }
void ResetFileCalls() { CurrentCalls = RealCalls; }

bool FileExists(const std::string& FileName) {
  struct stat Info;
  return ::stat(FileName.c_str(), &Info) == 0 && S_ISREG(Info.st_mode);
}

bool DeleteFile(const std::string& FileName) { return ::unlink(FileName.c_str()) == 0; }

bool RenameFile(const std::string& From, const std::string& To) {
  return ::rename(From.c_str(), To.c_str()) == 0;
}

TFileStream::TFileStream(const std::string& FileName, TFileMode Mode) : FFileName(FileName) {
  int Flags = O_CLOEXEC;
  switch (Mode) {
    case TFileMode::OpenReadWrite: Flags |= O_RDWR; break;
    case TFileMode::OpenRead: Flags |= O_RDONLY; break;
    case TFileMode::Create: Flags |= O_RDWR | O_CREAT | O_TRUNC; break;
  }
  do {
    FHandle = ::open(FileName.c_str(), Flags, 0666);
  } while (FHandle < 0 && errno == EINTR);
  bool Usable = FHandle >= 0;
  if (Usable) {
    // A folder opens read-only on this system; it is no file to read or write.
    struct stat Info;
    Usable = ::fstat(FHandle, &Info) == 0 && !S_ISDIR(Info.st_mode);
    if (!Usable) {
      ::close(FHandle);
      FHandle = -1;
    }
  }
  if (!Usable) {
    if (Mode == TFileMode::Create) throw EFCreateError("Cannot create file " + FileName);
    throw EFOpenError("Cannot open file " + FileName);
  }
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
  if (Offset < 0)
    throw EInOutError("Cannot seek to offset " + std::to_string(Offset) + " in file " + FFileName);
  FPosition = Offset;
}

int32_t TFileStream::Read(void* Buffer, int32_t Count) {
  if (Count < 0)
    throw EInOutError("Cannot read " + std::to_string(Count) + " bytes from file " + FFileName);
  auto* Target = static_cast<unsigned char*>(Buffer);
  int32_t Done = 0;
  while (Done < Count) {
    long Got = FileCalls().pread(FHandle, Target + Done, static_cast<unsigned long>(Count - Done), long(FPosition + Done));
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
  if (Count < 0)
    throw EInOutError("Cannot write " + std::to_string(Count) + " bytes to file " + FFileName);
  auto* Source = static_cast<const unsigned char*>(Buffer);
  int32_t Done = 0;
  while (Done < Count) {
    long Put = FileCalls().pwrite(FHandle, Source + Done, static_cast<unsigned long>(Count - Done), long(FPosition + Done));
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
