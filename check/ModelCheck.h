#pragma once
// Examining one model file: everything the tolerant loader lets pass that a
// game may trip over, as a list of findings, each with a stable code, a
// severity, a one-line message and, where it applies, the level tag, the
// record index inside its chunk and the file offset of the chunk or form.
// The file is only read, through the project's own reader and loader.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class TSeverity { Error, Warning, Info };

// "error", "warning", "info".
const char* SeverityName(TSeverity Severity);

// One kind of problem: its code, how bad it is, and one line for the
// README's table.
struct TCheckCode {
  const char* Code;
  TSeverity Severity;
  const char* Meaning;
};

// Every code the check reports, in the order the README lists them.
const std::vector<TCheckCode>& CheckCodes();

struct TFinding {
  const TCheckCode* Code = nullptr;
  std::string Message;
  std::optional<std::string> Lod;  // the level tag, as the loader names the level
  std::optional<int64_t> Record;   // index into the chunk's records
  std::optional<int64_t> Offset;   // file offset of the chunk or form
};

struct TCheckOptions {
  // The level to examine, as the loader's level of detail (clamped as the
  // loader clamps it); none examines every level the file has.
  std::optional<int32_t> Lod;
};

// Examines FileName. Never raises for anything the file holds: a file the
// reader refuses, or any part the loader cannot read, becomes a finding.
std::vector<TFinding> CheckModelFile(const std::string& FileName, const TCheckOptions& Options = {});

// The code named Code (for tests and reports); raises when there is none.
const TCheckCode& CheckCode(const std::string& Code);
