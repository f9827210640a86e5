#pragma once
// Writing the files an export makes: whole, through the file layer, pushed
// to the disk; a file the disk takes only in part is an error.
#include <cstddef>
#include <memory>
#include <streambuf>
#include <string>
#include <vector>

#include "runtime/Exception.h"

class TFileStream;

QUELBIR_EXCEPTION(EOutputFile);  // "Export: cannot write all of " + the file + ...

// Creates or truncates FileName and writes Size bytes. The file layer's
// errors pass through (a file that cannot be created, a refused write).
void WriteOutputFile(const std::string& FileName, const void* Data, size_t Size);
// A stream onto a new output file, for writers that produce through an
// ostream: the bytes go through the file layer in large blocks, and Close
// pushes them to the disk. A write the disk takes only in part, or refuses,
// is raised by Close (the stream itself only goes bad at that point).
class TOutputFileStream : public std::streambuf {
public:
  explicit TOutputFileStream(const std::string& FileName);
  ~TOutputFileStream() override;
  void Close();

protected:
  int_type overflow(int_type C) override;
  std::streamsize xsputn(const char* Data, std::streamsize Count) override;
  int sync() override;

private:
  bool Put(const char* Data, size_t Count);
  std::unique_ptr<TFileStream> FFile;
  std::vector<char> FBlock;
  std::string FError;
  size_t FWritten = 0;
};

inline void WriteOutputFile(const std::string& FileName, const std::string& Text) {
  WriteOutputFile(FileName, Text.data(), Text.size());
}
