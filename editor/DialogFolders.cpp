#include "editor/DialogFolders.h"

#include <filesystem>

std::string TDialogFolders::Start(TFileKind Kind, const std::string& ModelFile) const {
  const std::string& Last = FLast[size_t(Kind)];
  if (!Last.empty()) return Last;
  if (ModelFile.empty()) return {};
  return std::filesystem::path(ModelFile).parent_path().string();
}

void TDialogFolders::Remember(TFileKind Kind, const std::string& Chosen) {
  const std::string Folder = std::filesystem::path(Chosen).parent_path().string();
  if (!Folder.empty()) FLast[size_t(Kind)] = Folder;
}
