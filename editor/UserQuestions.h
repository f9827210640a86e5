#pragma once
// What a flow of the window asks the user, without a toolkit: the window
// hands its own dialogs, a test its prepared answers.
#include <functional>
#include <string>
#include <vector>

struct TUserQuestions {
  // The edited text on OK, DefaultText on Cancel.
  std::function<std::string(const std::string& Caption, const std::string& Prompt, const std::string& DefaultText)>
      InputBox;
  // The index of the button chosen among Buttons; the last one is Cancel.
  std::function<int(const std::string& Caption, const std::string& Text, const std::vector<std::string>& Buttons)> Ask;
};
