#include "check/CheckReport.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace {

// JSON strings must be UTF-8: valid UTF-8 passes through, any other byte is
// read as the 8-bit character of the same code, as file names and tags of
// other tools' files may hold such bytes.
std::string Utf8(const std::string& Text) {
  std::string Out;
  const auto* Bytes = reinterpret_cast<const unsigned char*>(Text.data());
  const size_t Size = Text.size();
  for (size_t I = 0; I < Size;) {
    const unsigned char C = Bytes[I];
    size_t Length = 0;
    uint32_t Code = 0;
    if (C < 0x80) Length = 1, Code = C;
    else if (C >= 0xC2 && C <= 0xDF) Length = 2, Code = C & 0x1F;
    else if (C >= 0xE0 && C <= 0xEF) Length = 3, Code = C & 0x0F;
    else if (C >= 0xF0 && C <= 0xF4) Length = 4, Code = C & 0x07;
    bool Valid = Length > 0 && I + Length <= Size;
    for (size_t K = 1; Valid && K < Length; ++K) {
      if ((Bytes[I + K] & 0xC0) != 0x80) Valid = false;
      Code = (Code << 6) | (Bytes[I + K] & 0x3F);
    }
    if (Valid && ((Length == 3 && (Code < 0x800 || (Code >= 0xD800 && Code <= 0xDFFF))) ||
                  (Length == 4 && (Code < 0x10000 || Code > 0x10FFFF))))
      Valid = false;
    if (Valid) {
      Out.append(Text, I, Length);
      I += Length;
    } else {
      Out += char(0xC0 | (C >> 6));
      Out += char(0x80 | (C & 0x3F));
      ++I;
    }
  }
  return Out;
}

template <class T>
nlohmann::ordered_json OrNull(const std::optional<T>& Value) {
  return Value ? nlohmann::ordered_json(*Value) : nlohmann::ordered_json(nullptr);
}

}  // namespace

std::string FindingLine(const TFinding& Finding) {
  std::string Line = std::string(SeverityName(Finding.Code->Severity)) + " " + Finding.Code->Code;
  if (Finding.Lod) Line += " lod " + *Finding.Lod;
  if (Finding.Record) Line += " record " + std::to_string(*Finding.Record);
  if (Finding.Offset) Line += " offset " + std::to_string(*Finding.Offset);
  // Tags and names come from the file: a control byte among them is shown
  // escaped, so each finding stays on its line.
  Line += ": ";
  for (const char C : Finding.Message) {
    const auto Byte = static_cast<unsigned char>(C);
    if (Byte < 0x20 || Byte == 0x7F) {
      char Escape[8];
      std::snprintf(Escape, sizeof Escape, "\\x%02X", Byte);
      Line += Escape;
    } else {
      Line += C;
    }
  }
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
      Item["message"] = Utf8(F.Message);
      Item["lod"] = F.Lod ? nlohmann::ordered_json(Utf8(*F.Lod)) : nlohmann::ordered_json(nullptr);
      Item["record"] = OrNull(F.Record);
      Item["offset"] = OrNull(F.Offset);
      List.push_back(std::move(Item));
    }
    nlohmann::ordered_json File;
    File["file"] = Utf8(Path);
    File["findings"] = std::move(List);
    FOut << (FFiles ? ",\n  " : "\n  ") << File.dump();
  } else if (!Findings.empty()) {
    FOut << Path << "\n";
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
