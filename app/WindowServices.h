#pragma once
// What the window needs of the desktop besides its own controls: the
// file-open dialog, the input box, message boxes, the clipboard, the file
// system's "does it exist" and the command line. The window asks for them
// only through this interface, so that a test can answer a dialog without a
// person (ScriptedWindowServices.h); TQtWindowServices is the real desktop.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor/UserQuestions.h"

class QWidget;

// The program's name as the user reads it: the title of its message boxes.
inline constexpr const char* ProgramTitle = "QUELBIR Editor";

class TWindowServices {
public:
  virtual ~TWindowServices() = default;
  // The chosen file's full path, or nothing when the user cancels.
  virtual std::optional<std::string> OpenFile(QWidget* Parent, const TOpenDialogOptions& Options) = 0;
  // The full path to write to, or nothing when the user cancels.
  virtual std::optional<std::string> SaveFile(QWidget* Parent, const TSaveDialogOptions& Options) = 0;
  // The chosen folder's full path, or nothing when the user cancels; the
  // dialog starts in InitialFolder (empty: the working folder).
  virtual std::optional<std::string> ChooseFolder(QWidget* Parent, const std::string& Caption,
                                                  const std::string& InitialFolder) = 0;
  // The edited text on OK, DefaultText on Cancel.
  virtual std::string InputBox(QWidget* Parent, const std::string& Caption, const std::string& Prompt,
                               const std::string& DefaultText) = 0;
  // One box of several labelled texts, each starting as its DefaultText: the
  // edited texts, in Fields' order, on OK; nothing on Cancel.
  virtual std::optional<std::vector<std::string>> InputTexts(QWidget* Parent, const std::string& Caption,
                                                             const std::vector<TInputField>& Fields) = 0;
  // A modal box showing Text exactly: what failed, with the critical icon.
  virtual void ShowMessage(QWidget* Parent, const std::string& Text) = 0;
  // The same for a note on what was done (what an export left out), with
  // the information icon.
  virtual void ShowInformation(QWidget* Parent, const std::string& Text) = 0;
  // A modal question with Caption and Text, answered by one of Buttons (in
  // the order given; the last one is what Escape or closing the box
  // chooses): the index of the button chosen.
  virtual int Ask(QWidget* Parent, const std::string& Caption, const std::string& Text,
                  const std::vector<std::string>& Buttons) = 0;
  // Replaces the clipboard's content with Text as plain text; each byte of
  // Text is one character.
  virtual void SetClipboardText(const std::string& Text) = 0;
  // True when FileName names anything on disk. The load takes a regular
  // file and refuses anything else (a pipe, a device, a folder) with the
  // file layer's message, so a name is never ignored in silence.
  virtual bool FileExists(const std::string& FileName) = 0;
  // The model file the command line names (the first argument, or the one
  // after "--"), as its bytes; empty if none.
  virtual std::string ParamStr1() = 0;
};

// The desktop itself, through Qt.
class TQtWindowServices : public TWindowServices {
public:
  // ModelFile: the file the command line names, as its bytes (ParamStr1).
  explicit TQtWindowServices(std::string ModelFile = "") : FModelFile(std::move(ModelFile)) {}
  std::optional<std::string> OpenFile(QWidget* Parent, const TOpenDialogOptions& Options) override;
  std::optional<std::string> SaveFile(QWidget* Parent, const TSaveDialogOptions& Options) override;
  std::optional<std::string> ChooseFolder(QWidget* Parent, const std::string& Caption,
                                          const std::string& InitialFolder) override;
  std::string InputBox(QWidget* Parent, const std::string& Caption, const std::string& Prompt,
                       const std::string& DefaultText) override;
  std::optional<std::vector<std::string>> InputTexts(QWidget* Parent, const std::string& Caption,
                                                     const std::vector<TInputField>& Fields) override;
  void ShowMessage(QWidget* Parent, const std::string& Text) override;
  void ShowInformation(QWidget* Parent, const std::string& Text) override;
  int Ask(QWidget* Parent, const std::string& Caption, const std::string& Text,
          const std::vector<std::string>& Buttons) override;
  void SetClipboardText(const std::string& Text) override;
  bool FileExists(const std::string& FileName) override;
  std::string ParamStr1() override { return FModelFile; }

private:
  std::string FModelFile;
};

// Qt's name filters for a "Description|pattern|..." filter:
// "IFF Files (*.iff)|*.iff" gives the one filter "IFF Files (*.iff)".
std::vector<std::string> QtNameFilters(const std::string& Filter);

// The extension (without its dot) a name typed under one of those filters
// gets when it has none: "Wavefront OBJ (*.obj)" gives "obj"; a filter
// without a plain "*.ext" pattern gives "".
std::string FilterExtension(const std::string& NameFilter);
