#include "check/ModelFiles.h"

#include <algorithm>
#include <filesystem>

#include "runtime/Exception.h"

namespace fs = std::filesystem;

namespace {

bool EndsWithIff(const std::string& Name) {
  if (Name.size() < 4) return false;
  std::string Tail = Name.substr(Name.size() - 4);
  std::transform(Tail.begin(), Tail.end(), Tail.begin(), [](unsigned char C) { return char(std::tolower(C)); });
  return Tail == ".iff";
}

// The folder's files, unreadable sub-folders and entries, without recursion.
void WalkFolder(const fs::path& Top, std::vector<TModelFile>& Out) {
  std::vector<TModelFile> Found;
  std::vector<fs::path> Pending{Top};
  while (!Pending.empty()) {
    const fs::path Folder = Pending.back();
    Pending.pop_back();
    std::error_code Error;
    fs::directory_iterator It(Folder, Error);
    if (Error) {
      Found.push_back({Folder.string(), Error.message()});
      continue;
    }
    for (; It != fs::directory_iterator(); It.increment(Error)) {
      if (Error) break;
      std::error_code StatusError;
      const fs::file_status Link = It->symlink_status(StatusError);
      if (StatusError) {
        // A model file, or a folder of them, may hide behind it: never passed
        // over in silence.
        Found.push_back({It->path().string(), StatusError.message(), true});
        continue;
      }
      if (fs::is_directory(Link)) {
        Pending.push_back(It->path());
      } else if (EndsWithIff(It->path().filename().string())) {
        // A link to a folder named like a model file is not a file to examine.
        if (fs::is_symlink(Link) && fs::is_directory(It->status(StatusError))) continue;
        Found.push_back({It->path().string(), ""});
      }
    }
    if (Error) Found.push_back({Folder.string(), Error.message()});
  }
  std::sort(Found.begin(), Found.end(),
            [](const TModelFile& A, const TModelFile& B) { return fs::path(A.Path) < fs::path(B.Path); });
  Out.insert(Out.end(), Found.begin(), Found.end());
}

}  // namespace

std::vector<TModelFile> ListModelFiles(const std::vector<std::string>& Paths) {
  std::vector<TModelFile> Files;
  for (const std::string& Path : Paths) {
    std::error_code Error;
    const fs::file_status Status = fs::status(Path, Error);
    if (Error || !fs::exists(Status)) throw Exception("No such file or folder: " + Path);
    if (fs::is_directory(Status))
      WalkFolder(Path, Files);
    else
      Files.push_back({Path, ""});
  }
  return Files;
}
