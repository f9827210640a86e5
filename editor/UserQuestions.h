#pragma once
// What a flow of the window asks the user, without a toolkit: the window
// hands its own dialogs, a test its prepared answers.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/DialogFolders.h"

// The file-open dialog's settings, in the platform's own terms.
struct TOpenDialogOptions {
  std::string Filter;         // "Description|pattern" pairs joined by "|"
  std::string DefaultExt;     // appended to a typed name that has none
  bool HideReadOnly = false;  // no "open read-only" check box
  bool PathMustExist = false;
  bool FileMustExist = false;
  bool NoReadOnlyReturn = false;  // a read-only file is refused, the dialog stays
  bool EnableSizing = false;
  std::string InitialFolder;  // where the dialog starts; empty: the working folder
};

// The file-save dialog's settings.
struct TSaveDialogOptions {
  std::string Filter;           // "Description|pattern" pairs joined by "|"
  std::string DefaultExt;       // appended to a typed name that has none
  bool OverwritePrompt = true;  // an existing file is replaced only when the user confirms
  std::string InitialFolder;    // where the dialog starts; empty: the working folder
};

// One labelled text of a box that asks for several at once.
struct TInputField {
  std::string Label, DefaultText;
};

struct TUserQuestions {
  // The edited text on OK, DefaultText on Cancel.
  std::function<std::string(const std::string& Caption, const std::string& Prompt, const std::string& DefaultText)>
      InputBox;
  // The index of the button chosen among Buttons; the last one is Cancel.
  std::function<int(const std::string& Caption, const std::string& Text, const std::vector<std::string>& Buttons)> Ask;
  // The save dialog for a file of Kind, started in that kind's folder
  // (TDialogFolders): the path to write, or nothing for Cancel.
  std::function<std::optional<std::string>(TFileKind Kind, const TSaveDialogOptions& Options)> SaveFile;
  // One box of Fields, each starting as its DefaultText: the texts, in
  // Fields' order, on OK; nothing on Cancel. Only the flows that ask it
  // need it.
  std::function<std::optional<std::vector<std::string>>(const std::string& Caption,
                                                        const std::vector<TInputField>& Fields)>
      InputTexts{};
};
