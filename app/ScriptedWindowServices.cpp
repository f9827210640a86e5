#include "app/ScriptedWindowServices.h"

#include "runtime/FileLayer.h"

namespace {

// Records Question and gives the next prepared answer; nothing (Cancel)
// when none is left.
template <class TQuestion, class TAnswer>
TAnswer NextAnswer(std::vector<TQuestion>& Questions, TQuestion Question, std::deque<TAnswer>& Answers) {
  Questions.push_back(std::move(Question));
  if (Answers.empty()) return std::nullopt;
  auto Answer = Answers.front();
  Answers.pop_front();
  return Answer;
}

}  // namespace

std::optional<std::string> TScriptedWindowServices::OpenFile(QWidget*, const TOpenDialogOptions& Options) {
  return NextAnswer(OpenQuestions, Options, OpenAnswers);
}

std::optional<std::string> TScriptedWindowServices::SaveFile(QWidget*, const TSaveDialogOptions& Options) {
  return NextAnswer(SaveQuestions, Options, SaveAnswers);
}

std::optional<std::string> TScriptedWindowServices::ChooseFolder(QWidget*, const std::string&,
                                                                 const std::string& InitialFolder) {
  return NextAnswer(FolderQuestions, InitialFolder, FolderAnswers);
}

std::string TScriptedWindowServices::InputBox(QWidget*, const std::string& Caption, const std::string& Prompt,
                                              const std::string& DefaultText) {
  return NextAnswer(InputQuestions, TInputQuestion{Caption, Prompt, DefaultText}, InputAnswers).value_or(DefaultText);
}

std::optional<std::vector<std::string>> TScriptedWindowServices::InputTexts(QWidget*, const std::string& Caption,
                                                                            const std::vector<TInputField>& Fields) {
  return NextAnswer(TextsQuestions, TTextsQuestion{Caption, Fields}, TextsAnswers);
}

void TScriptedWindowServices::ShowMessage(QWidget*, const std::string& Text) { Messages.push_back(Text); }

void TScriptedWindowServices::ShowInformation(QWidget*, const std::string& Text) { Information.push_back(Text); }

int TScriptedWindowServices::Ask(QWidget*, const std::string& Caption, const std::string& Text,
                                 const std::vector<std::string>& Buttons) {
  Questions.push_back({Caption, Text, Buttons});
  std::string Answer;
  if (!AskAnswers.empty()) {
    Answer = AskAnswers.front();
    AskAnswers.pop_front();
  }
  for (size_t I = 0; I < Buttons.size(); ++I)
    if (Buttons[I] == Answer) return int(I);
  return int(Buttons.size()) - 1;
}

void TScriptedWindowServices::SetClipboardText(const std::string& Text) { Clipboard = Text; }

bool TScriptedWindowServices::FileExists(const std::string& FileName) { return ::NameExists(FileName); }
