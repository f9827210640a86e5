// The whole-number options of every subcommand, read as the zoom box reads
// a number, each refusal in its own words.
#include <cmath>
#include <cstdlib>
#include <string>

#include "cli/Commands.h"
#include "runtime/NumberFormat.h"

namespace {

// What a text that does not read as a 32-bit whole number is told, in the
// words of "'%s' is not a valid floating point value".
std::string NotWhole(const std::string& Text) { return "'" + Text + "' is not a valid integer value"; }

}  // namespace

CLI::Validator WholeNumber(int Min, int Max) {
  return CLI::Validator(
      [Min, Max](std::string& Text) -> std::string {
        int Value = 0;
        if (!TryStrToInt(Text, Value)) return NotWhole(Text);
        if (Value < Min || Value > Max)
          return "Value " + Text + " not in range " + std::to_string(Min) + " to " + std::to_string(Max);
        return "";
      },
      Min == INT_MIN && Max == INT_MAX ? "" : "INT in [" + std::to_string(Min) + " - " + std::to_string(Max) + "]");
}

CLI::Validator LevelNumber() {
  return CLI::Validator(
      [](std::string& Text) -> std::string {
        int Value = 0;
        if (!TryStrToInt(Text, Value)) return NotWhole(Text);
        if (Value < 0) return Text + " is not a level of detail: levels count from 0";
        return "";
      },
      "");
}

CLI::Validator RatioNumber() {
  return CLI::Validator(
      [](std::string& Text) -> std::string {
        char* End = nullptr;
        const double Value = Text.empty() ? 0 : std::strtod(Text.c_str(), &End);
        if (Text.empty() || *End != '\0' || !std::isfinite(Value))
          return "'" + Text + "' is not a valid floating point value";
        if (!(Value > 0 && Value < 1)) return "Value " + Text + " is not between 0 and 1";
        return "";
      },
      "R in (0 - 1)");
}
