#pragma once
// A model file of the program's own: written into a folder that only this
// user can read, made for it alone, and removed with that folder when the
// file is no longer needed. It holds a new model that has no file of its own
// yet, or a model with levels of detail made in the window, so that the
// document can read it as it reads any model file, while no file the user
// chose is ever changed in place.
#include <memory>
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

// The file the model shown is read from: the user's own, read where it is,
// or one of the program's own (a new model; levels of detail made in the
// window), removed once neither the document nor a step of its history
// shows it any longer.
struct TModelSource {
  std::string Path;
  std::unique_ptr<TPrivateModelFile> Private;  // none: Path is the user's file
  // Its levels of detail were made in the window, from the user's file's
  // level "0000"; they are unsaved work until a new model file holds them.
  bool MadeLevels = false;
  bool Written = false;  // Save Model As... wrote them into a new model file
};
