#include "editor/PrivateModelFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "runtime/Exception.h"

TPrivateModelFile::TPrivateModelFile() {
  std::error_code Error;
  std::filesystem::path Base = std::filesystem::temp_directory_path(Error);
  if (Error) Base = "/tmp";
  const std::string Template = (Base / "quelbir-new-XXXXXX").string();
  std::vector<char> Name(Template.begin(), Template.end());
  Name.push_back('\0');
  // mkdtemp makes the folder with mode 0700, under a name no other program
  // chose.
  if (mkdtemp(Name.data()) == nullptr)
    throw Exception("Cannot make a private folder for the model shown in " + Base.string() + ": " +
                    std::strerror(errno));
  FFolder = Name.data();
  FPath = (std::filesystem::path(FFolder) / "new-model.iff").string();
}

TPrivateModelFile::~TPrivateModelFile() {
  // Nothing else is ever in the folder; what cannot be removed is left to
  // the system's cleaning of its temporary folder.
  std::error_code Ignored;
  std::filesystem::remove_all(FFolder, Ignored);
}
