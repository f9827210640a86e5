#pragma once
// Writing the files an export makes: whole, through the file layer, pushed
// to the disk; a file the disk takes only in part is an error.
#include <cstddef>
#include <string>

#include "runtime/Exception.h"

QUELBIR_EXCEPTION(EOutputFile);  // "Export: cannot write all of " + the file + ...

// Creates or truncates FileName and writes Size bytes. The file layer's
// errors pass through (a file that cannot be created, a refused write).
void WriteOutputFile(const std::string& FileName, const void* Data, size_t Size);
inline void WriteOutputFile(const std::string& FileName, const std::string& Text) {
  WriteOutputFile(FileName, Text.data(), Text.size());
}
