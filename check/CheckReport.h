#pragma once
// The check's output, file by file as results arrive: text for people (each
// file with findings, then one indented line per finding, and a last line of
// totals) or one JSON object for scripts.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "check/ModelCheck.h"

class TCheckReport {
public:
  TCheckReport(std::ostream& Out, bool Json);

  void AddFile(const std::string& Path, const std::vector<TFinding>& Findings);
  // The totals line, or the JSON summary and the closing brace.
  void Finish();

  int64_t Files() const { return FFiles; }
  int64_t Errors() const { return FErrors; }
  int64_t Warnings() const { return FWarnings; }
  int64_t Infos() const { return FInfos; }

private:
  std::ostream& FOut;
  bool FJson;
  int64_t FFiles = 0, FErrors = 0, FWarnings = 0, FInfos = 0;
};

// One finding as its text line shows it, without the indent:
// "severity CODE [lod N] [record R] [offset O]: message", control bytes of
// the message escaped as \xNN.
std::string FindingLine(const TFinding& Finding);
