#include "model/HardpointName.h"

#include <cstdio>
#include <unordered_set>

#include "runtime/Latin1Text.h"

namespace {

std::string Hex(unsigned char Byte) {
  char Text[8];
  std::snprintf(Text, sizeof Text, "0x%02X", unsigned(Byte));
  return Text;
}

// The first of Base + N, Base + (N + 1), ... that Used does not hold. Used
// has fewer names than there are numbers to try, so the search ends within
// Used.size() + 1 tries. Numbers are written with at least Width digits
// ("Gun007" counts on to "Gun008").
std::string FirstUnused(const std::string& Base, unsigned long long N, const std::vector<std::string>& Used,
                        size_t Width = 1) {
  const std::unordered_set<std::string> Taken(Used.begin(), Used.end());
  for (;; ++N) {
    std::string Number = std::to_string(N);
    if (Number.size() < Width) Number.insert(0, Width - Number.size(), '0');
    std::string Name = Base + Number;
    if (!Taken.count(Name)) return Name;
  }
}

}  // namespace

std::string HardpointNameProblem(const std::string& Name) {
  if (Name.empty()) return "A hardpoint's name cannot be empty";
  for (const char C : Name) {
    const auto Byte = static_cast<unsigned char>(C);
    if (Byte == 0) return "A hardpoint's name cannot hold a zero byte: the model file ends the name there";
    if (Byte == '\r' || Byte == '\n') return "A hardpoint's name cannot hold a line break";
    if (Byte < 0x20 || Byte == 0x7F) return "A hardpoint's name cannot hold the control character " + Hex(Byte);
    if (Byte == '"')
      return "A hardpoint's name cannot hold a double quotation mark: the hardpoint script writes the name between "
             "two and has no escapes";
    if (Byte == '\\')
      return "A hardpoint's name cannot hold a backslash: the hardpoint script has no escapes, and the tools that "
             "compile it read one as the start of an escape";
  }
  return "";
}

void CheckHardpointName(const std::string& Name) {
  const std::string Problem = HardpointNameProblem(Name);
  if (!Problem.empty()) throw EHardpointName(Problem);
}

std::string HardpointNameFromText(const std::string& Utf8) {
  std::string Name;
  if (!Utf8ToLatin1(Utf8, Name))
    throw EHardpointName(
        "A hardpoint's name can hold only Latin-1 characters (up to U+00FF), as the model file "
        "stores 8-bit text");
  CheckHardpointName(Name);
  return Name;
}

TFreshHardpointNames::TFreshHardpointNames(const std::vector<std::string>& Used) : FTaken(Used.begin(), Used.end()) {}

std::string TFreshHardpointNames::Next() {
  for (;; ++FNumber) {
    std::string Name = "Hardpoint" + std::to_string(FNumber);
    if (FTaken.insert(Name).second) return Name;
  }
}

std::string FreshHardpointName(const std::vector<std::string>& Used) { return TFreshHardpointNames(Used).Next(); }

std::string DuplicateHardpointName(const std::string& Original, const std::vector<std::string>& Used) {
  if (!HardpointNameProblem(Original).empty()) return FreshHardpointName(Used);
  size_t Digits = Original.size();
  while (Digits > 0 && Original[Digits - 1] >= '0' && Original[Digits - 1] <= '9') --Digits;
  // A number of up to nine digits is counted on; a longer one is taken as
  // part of the name.
  const size_t Count = Original.size() - Digits;
  if (Count == 0 || Count > 9) return FirstUnused(Original, 2, Used);
  return FirstUnused(Original.substr(0, Digits), std::stoull(Original.substr(Digits)) + 1, Used, Count);
}
