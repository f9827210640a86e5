#include "editor/SameModelFile.h"

#include <filesystem>

bool SameModelFile(const std::string& A, const std::string& B) {
  if (A == B) return true;
  if (A.empty() || B.empty()) return false;
  std::error_code Failed;
  const bool Same = std::filesystem::equivalent(A, B, Failed);
  return !Failed && Same;
}
