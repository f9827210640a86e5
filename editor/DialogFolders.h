#pragma once
// Where the window's file dialogs start: each kind of file in the folder the
// last one of that kind was chosen in, so that saving a picture does not
// send the next model's dialog among the pictures; a kind not chosen yet
// starts in the open model's folder (none: the working folder).
#include <array>
#include <string>

enum class TFileKind { Models, Pictures, Exports };

class TDialogFolders {
public:
  // The folder a dialog for Kind starts in; empty: the working folder.
  std::string Start(TFileKind Kind, const std::string& ModelFile) const;
  // Chosen was picked in a dialog for Kind.
  void Remember(TFileKind Kind, const std::string& Chosen);

private:
  std::array<std::string, 3> FLast;
};
