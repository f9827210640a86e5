#pragma once
// What a flow of the window asks the user, without a toolkit: the window
// hands its own dialogs, a test its prepared answers.
#include <functional>
#include <optional>
#include <string>
#include <vector>

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
  // One box of Fields, each starting as its DefaultText: the texts, in
  // Fields' order, on OK; nothing on Cancel. Only the flows that ask it
  // need it.
  std::function<std::optional<std::vector<std::string>>(const std::string& Caption,
                                                        const std::vector<TInputField>& Fields)>
      InputTexts{};
};
