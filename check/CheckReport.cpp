#include "check/CheckReport.h"

#include <nlohmann/json.hpp>

#include "runtime/Latin1Text.h"

namespace {

template <class T>
nlohmann::ordered_json OrNull(const std::optional<T>& Value) {
  return Value ? nlohmann::ordered_json(*Value) : nlohmann::ordered_json(nullptr);
}

}  // namespace

// Tags and names come from the file, paths from the folder: a control byte
// among them is shown escaped, so each finding stays on its line.

std::string FindingLine(const TFinding& Finding) {
  std::string Line = std::string(SeverityName(Finding.Code->Severity)) + " " + Finding.Code->Code;
  if (Finding.Lod) {
    Line += " lod ";
    Line += EscapeControlBytes(*Finding.Lod);
  }
  if (Finding.Record) Line += " record " + std::to_string(*Finding.Record);
  if (Finding.Offset) Line += " offset " + std::to_string(*Finding.Offset);
  Line += ": ";
  Line += EscapeControlBytes(Finding.Message);
  return Line;
}

TCheckReport::TCheckReport(std::ostream& Out, bool Json) : FOut(Out), FJson(Json) {
  if (FJson) FOut << "{\"files\": [";
}

void TCheckReport::AddFile(const std::string& Path, const std::vector<TFinding>& Findings) {
  for (const TFinding& F : Findings) {
    switch (F.Code->Severity) {
      case TSeverity::Error: ++FErrors; break;
      case TSeverity::Warning: ++FWarnings; break;
      case TSeverity::Info: ++FInfos; break;
    }
  }
  if (FJson) {
    nlohmann::ordered_json List = nlohmann::ordered_json::array();
    for (const TFinding& F : Findings) {
      nlohmann::ordered_json Item;
      Item["code"] = F.Code->Code;
      Item["severity"] = SeverityName(F.Code->Severity);
      Item["message"] = Latin1ToUtf8(F.Message);
      Item["lod"] = F.Lod ? nlohmann::ordered_json(Latin1ToUtf8(*F.Lod)) : nlohmann::ordered_json(nullptr);
      Item["record"] = OrNull(F.Record);
      Item["offset"] = OrNull(F.Offset);
      List.push_back(std::move(Item));
    }
    nlohmann::ordered_json File;
    File["file"] = Latin1ToUtf8(Path);
    File["findings"] = std::move(List);
    FOut << (FFiles ? ",\n  " : "\n  ") << File.dump();
  } else if (!Findings.empty()) {
    std::string Line;
    Line += EscapeControlBytes(Path);  // a file's name may hold a line break or an escape sequence
    FOut << Line << "\n";
    for (const TFinding& F : Findings) FOut << "  " << FindingLine(F) << "\n";
  }
  ++FFiles;
}

void TCheckReport::Finish() {
  if (FJson) {
    nlohmann::ordered_json Summary;
    Summary["files"] = FFiles;
    Summary["errors"] = FErrors;
    Summary["warnings"] = FWarnings;
    Summary["infos"] = FInfos;
    FOut << (FFiles ? "\n], " : "], ") << "\"summary\": " << Summary.dump() << "}\n";
  } else {
    FOut << FFiles << " files, " << FErrors << " errors, " << FWarnings << " warnings\n";
  }
}
