#include "editor/HardpointScript.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <istream>
#include <string_view>

#include "model/HardpointName.h"
#include "model/THardpoint.h"
#include "model/TZorvObject.h"
#include "runtime/FileLayer.h"
#include "runtime/FloatErrors.h"
#include "runtime/Latin1Text.h"
#include "runtime/NumberFormat.h"

namespace {

// The twelve values of a hardpoint in the order of its file chunk: the
// three rows of the 3x4 transform, each an axis and a position coordinate.
constexpr const std::array<int, 12>& ScriptOrder = THardpoint::FileToMatrix;

void AddLine(std::string& Text, int Blanks, const std::string& Line) {
  Text.append(size_t(Blanks), ' ');
  Text += Line;
  Text += "\r\n";
}

}  // namespace

std::string HardpointScriptText(const std::vector<const THardpoint*>& Hardpoints) {
  // The script has no escapes: a line break in a name would make the text
  // read back as other hardpoints, a quotation mark end the name early.
  for (const THardpoint* Hardpoint : Hardpoints)
    if (Hardpoint != nullptr)
      if (const std::string Problem = HardpointNameProblem(Hardpoint->Name); !Problem.empty())
        throw EHardpointScript("The hardpoint script cannot carry the name of hardpoint \"" +
                               EscapeControlBytes(Hardpoint->Name) + "\": " + Problem + "; rename it first");
  std::string Text;
  AddLine(Text, 4, "FORM \"HARD\"");
  AddLine(Text, 4, "{");
  for (const THardpoint* Hardpoint : Hardpoints) {
    if (Hardpoint == nullptr) continue;
    AddLine(Text, 6, "CHUNK \"HARD\"");
    AddLine(Text, 6, "{");
    for (int Element : ScriptOrder) AddLine(Text, 8, "float " + FormatFixed3(Hardpoint->Matrix[size_t(Element)]));
    AddLine(Text, 8, "cstring \"" + Hardpoint->Name + "\"");
    AddLine(Text, 6, "}");
  }
  AddLine(Text, 4, "}");
  AddLine(Text, 2, "}");
  return Text;
}

std::string HardpointScriptText(THardpointsView Hardpoints) {
  std::vector<const THardpoint*> Listed;
  Listed.reserve(Hardpoints.size());
  for (size_t I = 0; I < Hardpoints.size(); ++I) Listed.push_back(&Hardpoints[I]);
  return HardpointScriptText(Listed);
}

std::string HardpointScriptText(const TZorvObject& Model) { return HardpointScriptText(Model.Hardpoints()); }

namespace {

// The script's lines one at a time, each without its line end and the
// blanks and tabs around it, with its number for messages.
class TScriptLines {
public:
  TScriptLines(const std::string& Text, const std::string& Source) : FText(Text), FSource(Source) {}

  // The next line; false at the end of the text.
  bool Next(std::string_view& Line) {
    if (FAt >= FText.size()) return false;
    size_t End = FText.find('\n', FAt);
    if (End == std::string::npos) End = FText.size();
    Line = std::string_view(FText).substr(FAt, End - FAt);
    FAt = End + 1;
    ++FNumber;
    if (!Line.empty() && Line.back() == '\r') Line.remove_suffix(1);
    while (!Line.empty() && (Line.front() == ' ' || Line.front() == '\t')) Line.remove_prefix(1);
    while (!Line.empty() && (Line.back() == ' ' || Line.back() == '\t')) Line.remove_suffix(1);
    return true;
  }

  // The next line, which must be there.
  std::string_view Expect(const std::string& What) {
    std::string_view Line;
    if (!Next(Line)) {
      ++FNumber;
      Fail("expected " + What + ", but the text ends");
    }
    return Line;
  }

  // The next line, which must be Word.
  void ExpectLine(std::string_view Word) {
    // A brace alone is quoted to be seen; FORM "HARD" carries its own.
    const std::string Shown = Word.size() == 1 ? "\"" + std::string(Word) + "\"" : std::string(Word);
    const std::string_view Line = Expect(Shown);
    if (Line != Word) Refuse(Shown, Line);
  }

  [[noreturn]] void Refuse(const std::string& What, std::string_view Line) const {
    Fail("expected " + What + ", found " + Quote(Line));
  }
  [[noreturn]] void Fail(const std::string& What) const {
    throw EHardpointScript(FSource + ", line " + std::to_string(FNumber) + ": " + What);
  }

  // A line as a message shows it: on one line and short.
  static std::string Quote(std::string_view Line) {
    constexpr size_t Shown = 60;
    std::string Text(Line.substr(0, Shown));
    return "\"" + EscapeControlBytes(Text) + (Line.size() > Shown ? "...\"" : "\"");
  }

private:
  const std::string& FText;
  const std::string& FSource;
  size_t FAt = 0;
  size_t FNumber = 0;
};

float ReadValue(TScriptLines& Lines) {
  const std::string What = "\"float\" and a number";
  const std::string_view Line = Lines.Expect(What);
  if (Line.substr(0, 5) != "float" || Line.size() < 7 || (Line[5] != ' ' && Line[5] != '\t')) Lines.Refuse(What, Line);
  const std::string Number(Line.substr(6));
  try {
    return StrToFloat(Number);
  } catch (const EConvertError&) {
    Lines.Fail(TScriptLines::Quote(Line.substr(6)) + " is not a number");
  } catch (const EOverflow&) {
    Lines.Fail(TScriptLines::Quote(Line.substr(6)) + " is beyond the range of a float");
  }
}

std::string ReadName(TScriptLines& Lines) {
  const std::string What = "\"cstring\" and a name in double quotation marks";
  const std::string_view Line = Lines.Expect(What);
  constexpr std::string_view Word = "cstring";
  if (Line.substr(0, Word.size()) != Word) Lines.Refuse(What, Line);
  std::string_view Rest = Line.substr(Word.size());
  const size_t Blanks = Rest.find_first_not_of(" \t");
  if (Blanks == 0 || Blanks == std::string_view::npos) Lines.Refuse(What, Line);
  Rest.remove_prefix(Blanks);
  if (Rest.size() < 2 || Rest.front() != '"' || Rest.back() != '"') Lines.Refuse(What, Line);
  const std::string Name(Rest.substr(1, Rest.size() - 2));
  const std::string Problem = HardpointNameProblem(Name);
  if (!Problem.empty()) Lines.Fail(Problem);
  return Name;
}

}  // namespace

std::vector<THardpoint> ReadHardpointScript(const std::string& Text, const std::string& Source) {
  TScriptLines Lines(Text, Source);
  Lines.ExpectLine("FORM \"HARD\"");
  Lines.ExpectLine("{");
  std::vector<THardpoint> Hardpoints;
  for (;;) {
    const std::string What = "CHUNK \"HARD\" or \"}\"";
    const std::string_view Line = Lines.Expect(What);
    if (Line == "}") break;
    if (Line != "CHUNK \"HARD\"") Lines.Refuse(What, Line);
    Lines.ExpectLine("{");
    THardpoint& Hardpoint = Hardpoints.emplace_back();
    for (int Element : ScriptOrder) Hardpoint.Matrix[size_t(Element)] = ReadValue(Lines);
    Hardpoint.Name = ReadName(Lines);
    Lines.ExpectLine("}");
  }
  Lines.ExpectLine("}");
  std::string_view Line;
  while (Lines.Next(Line))
    if (!Line.empty()) Lines.Refuse("nothing after the last brace", Line);
  return Hardpoints;
}

size_t HardpointScriptLimit() {
  const long Pages = ::sysconf(_SC_PHYS_PAGES), PageSize = ::sysconf(_SC_PAGE_SIZE);
  unsigned long long Memory = Pages > 0 && PageSize > 0 ? (unsigned long long)Pages * (unsigned long long)PageSize
                                                        : (unsigned long long)SIZE_MAX;
  for (int Resource : {RLIMIT_AS, RLIMIT_DATA}) {
    struct rlimit Limit;
    if (::getrlimit(Resource, &Limit) == 0 && Limit.rlim_cur != RLIM_INFINITY)
      Memory = std::min<unsigned long long>(Memory, Limit.rlim_cur);
  }
  return size_t(std::min<unsigned long long>(Memory / 4, SIZE_MAX));
}

std::string ReadHardpointScriptInput(const std::string& Name, std::istream& Input, size_t Limit) {
  const bool Standard = Name == "-";
  auto TooLong = [&] {
    return EHardpointScript((Standard ? std::string("standard input") : Name) +
                            " is longer than a hardpoint script may be here: at most " + std::to_string(Limit) +
                            " bytes, a quarter of the memory this program may use");
  };
  std::string Text;
  char Block[1 << 16];
  if (Standard) {
    while (Text.size() <= Limit && Input.read(Block, sizeof Block).gcount() > 0) {
      Text.append(Block, size_t(Input.gcount()));
      if (!Input) break;
    }
    if (Input.bad()) throw EInOutError("Cannot read the script from standard input");
  } else {
    TFileStream Stream(Name, TFileMode::OpenRead);
    if (uint64_t(Stream.Size()) > Limit) throw TooLong();
    Text.reserve(size_t(Stream.Size()));
    for (int32_t Got; Text.size() <= Limit && (Got = Stream.Read(Block, sizeof Block)) > 0;)
      Text.append(Block, size_t(Got));
  }
  if (Text.size() > Limit) throw TooLong();
  return Text;
}
