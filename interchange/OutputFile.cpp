#include "interchange/OutputFile.h"

#include <algorithm>
#include <cstdint>

#include "runtime/FileLayer.h"

void WriteOutputFile(const std::string& FileName, const void* Data, size_t Size) {
  TFileStream Out(FileName, TFileMode::Create);
  const auto* Bytes = static_cast<const uint8_t*>(Data);
  size_t Written = 0;
  while (Written < Size) {
    const int32_t Block = int32_t(std::min<size_t>(Size - Written, size_t(1) << 24));
    const int32_t Put = Out.Write(Bytes + Written, Block);
    Written += size_t(Put);
    if (Put < Block)
      throw EOutputFile("Export: cannot write all of " + FileName + " (" + std::to_string(Written) + " of " +
                        std::to_string(Size) + " bytes)");
  }
  Out.Flush();
}

TOutputFileStream::TOutputFileStream(const std::string& FileName)
    : FFile(std::make_unique<TFileStream>(FileName, TFileMode::Create)) {
  FBlock.resize(size_t(1) << 20);
  setp(FBlock.data(), FBlock.data() + FBlock.size());
}

TOutputFileStream::~TOutputFileStream() = default;

bool TOutputFileStream::Put(const char* Data, size_t Count) {
  if (!FError.empty()) return false;
  try {
    while (Count > 0) {
      const int32_t Block = int32_t(std::min<size_t>(Count, size_t(1) << 24));
      const int32_t Taken = FFile->Write(Data, Block);
      FWritten += size_t(Taken);
      if (Taken < Block) {
        FError = "Export: cannot write all of " + FFile->FileName() + " (" + std::to_string(FWritten) +
                 " bytes written)";
        return false;
      }
      Data += Block;
      Count -= size_t(Block);
    }
  } catch (const Exception& E) {
    FError = E.Message();
    return false;
  }
  return true;
}

int TOutputFileStream::sync() {
  const bool Done = Put(pbase(), size_t(pptr() - pbase()));
  setp(FBlock.data(), FBlock.data() + FBlock.size());
  return Done ? 0 : -1;
}

TOutputFileStream::int_type TOutputFileStream::overflow(int_type C) {
  if (sync() != 0) return traits_type::eof();
  if (!traits_type::eq_int_type(C, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(C);
    pbump(1);
  }
  return traits_type::not_eof(C);
}

std::streamsize TOutputFileStream::xsputn(const char* Data, std::streamsize Count) {
  // Large pieces go straight to the file, past the block.
  if (size_t(Count) > FBlock.size()) {
    if (sync() != 0 || !Put(Data, size_t(Count))) return 0;
    return Count;
  }
  return std::streambuf::xsputn(Data, Count);
}

void TOutputFileStream::Close() {
  sync();
  if (!FError.empty()) throw EOutputFile(FError);
  FFile->Flush();
}
