#pragma once
// The window's desktop as a test double: answers prepared by a test, in
// order, and a record of every question. Built beside the program, never
// into it.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/WindowServices.h"

// Answers prepared by a test, in order, and a record of every question.
class TScriptedWindowServices : public TWindowServices {
public:
  struct TInputQuestion {
    std::string Caption, Prompt, DefaultText;
  };

  // Answers of the open dialog: a path, or nothing for Cancel. With no answer
  // left the dialog is cancelled.
  std::deque<std::optional<std::string>> OpenAnswers;
  // Answers of the save dialog, the same way.
  std::deque<std::optional<std::string>> SaveAnswers;
  // Answers of the folder dialog, the same way; FolderQuestions records the
  // folder each one started in.
  std::deque<std::optional<std::string>> FolderAnswers;
  std::vector<std::string> FolderQuestions;
  // Answers of the input box: a text for OK, nothing for Cancel. With no
  // answer left the box is cancelled.
  std::deque<std::optional<std::string>> InputAnswers;
  // Answers of the boxes of several texts: the texts for OK, nothing for
  // Cancel, the same way; TextsQuestions records each box's caption and
  // fields.
  std::deque<std::optional<std::vector<std::string>>> TextsAnswers;
  struct TTextsQuestion {
    std::string Caption;
    std::vector<TInputField> Fields;
  };
  std::vector<TTextsQuestion> TextsQuestions;
  // Answers of the questions, by a button's caption. With no answer left,
  // or one that names no button, the last button is chosen.
  std::deque<std::string> AskAnswers;
  struct TQuestion {
    std::string Caption, Text;
    std::vector<std::string> Buttons;
  };
  std::vector<TQuestion> Questions;
  std::string CommandLineArgument;

  std::vector<TOpenDialogOptions> OpenQuestions;
  std::vector<TSaveDialogOptions> SaveQuestions;
  std::vector<TInputQuestion> InputQuestions;
  std::vector<std::string> Messages;
  std::vector<std::string> Information;
  std::optional<std::string> Clipboard;

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
  std::string ParamStr1() override { return CommandLineArgument; }
};
