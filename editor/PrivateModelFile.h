#pragma once
// A model file of the program's own: written into a folder that only this
// user can read, made for it alone, and removed with that folder when the
// file is no longer needed. It holds a new model that has no file of its own
// yet, so that the document can read it as it reads any model file, while
// no file the user chose is ever changed in place.
#include <string>

class TPrivateModelFile {
public:
  // Makes the private folder; the file in it is not written yet. Raises the
  // system's error when no folder can be made.
  TPrivateModelFile();
  ~TPrivateModelFile();
  TPrivateModelFile(const TPrivateModelFile&) = delete;
  TPrivateModelFile& operator=(const TPrivateModelFile&) = delete;

  // Where the model is to be written and read.
  const std::string& Path() const { return FPath; }

private:
  std::string FFolder, FPath;
};
