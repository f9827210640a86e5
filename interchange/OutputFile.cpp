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
