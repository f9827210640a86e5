#include "editor/MakeLevelsFlow.h"

#include <charconv>
#include <cmath>
#include <filesystem>

#include "levels/LevelTable.h"
#include "runtime/NumberFormat.h"

namespace {

// A level as fine as the model's own and two coarser ones.
constexpr int DefaultLevels = 3;

// The ratio as the command line reads it, a double, whatever the locale.
double RatioOf(const std::string& Text) {
  const size_t Begin = Text.find_first_not_of(" \t"), End = Text.find_last_not_of(" \t");
  double Value = 0;
  if (Begin != std::string::npos) {
    const char* Last = Text.data() + End + 1;
    const auto [Stop, Error] = std::from_chars(Text.data() + Begin, Last, Value);
    if (Error == std::errc() && Stop == Last && std::isfinite(Value)) return Value;
  }
  throw EConvertError("'" + Text + "' is not a valid floating point value");
}

}  // namespace

std::optional<std::string> MakeLevelsAsking(TModelDocument& Document, const TUserQuestions& User) {
  if (!Document.Model()) return std::nullopt;
  const std::optional<std::vector<std::string>> Texts =
      User.InputTexts("Make Levels of Detail",
                      {{"Levels in all, 0000 included:", std::to_string(DefaultLevels)},
                       {"Faces of each level over the level before's:", FormatFloat(float(TLevelOptions().Ratio), 1)}});
  if (!Texts || Texts->size() != 2) return std::nullopt;
  TLevelOptions Options;
  if (!TryStrToInt((*Texts)[0], Options.Levels))
    throw EConvertError("'" + (*Texts)[0] + "' is not a valid whole number of levels");
  Options.Ratio = RatioOf((*Texts)[1]);
  const TModelDocument::TLevelsMade Made = Document.MakeLevels(Options, "Make Levels of Detail");
  return "Made the levels of detail of " + std::filesystem::path(Document.ShownFile()).filename().string() +
         "; Save Model As... writes them into a new model file.\n\n" + LevelTable(Made.FinestFaces, Made.Levels);
}
