#include "check/ExtentCheck.h"

#include <filesystem>
#include <limits>

#include "iff/IffReader.h"

int64_t CheckExtent(const std::string& FileName, const TIffReader& Reader, TFindings& Findings) {
  std::error_code Error;
  const auto Length = std::filesystem::file_size(FileName, Error);
  if (Error) return std::numeric_limits<int64_t>::max();  // no size to compare with
  const int64_t FileSize = int64_t(Length);
  const TForm* Root = Reader.Root();
  const int64_t End = int64_t(Root->Offset) + 8 + Root->Size;
  if (FileSize > End)
    Findings.Add(TCheckCodeId::TrailingBytes,
                 std::to_string(FileSize - End) + " bytes after the top form, which ends at offset " +
                     std::to_string(End) + "; the reader ignores them",
                 std::nullopt, std::nullopt, End);
  else if (FileSize < End)
    Findings.Add(TCheckCodeId::FileTruncated,
                 "the top form " + Quoted(Root->Tag) + " declares " + std::to_string(End) + " bytes, the file holds " +
                     std::to_string(FileSize),
                 std::nullopt, std::nullopt, 0);
  return FileSize;
}
