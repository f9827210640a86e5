#include "editor/ModelLevels.h"

#include <filesystem>

T3DObject::TLogEvent RecordModelLevels(TModelLevels& Levels) {
  return [&Levels](T3DObject&, const std::string& Msg) {
    if (Msg.empty()) {
      // Every load begins with an empty message.
      Levels = TModelLevels();
    } else if (Msg.rfind("LOD: ", 0) == 0) {
      Levels.Tags.push_back(Msg.substr(5));
    } else if (Msg.rfind("load LOD: ", 0) == 0) {
      Levels.Loaded = Msg.substr(10);
    }
  };
}

bool SameModelFile(const std::string& A, const std::string& B) {
  if (A == B) return true;
  if (A.empty() || B.empty()) return false;
  std::error_code Failed;
  const bool Same = std::filesystem::equivalent(A, B, Failed);
  return !Failed && Same;
}
