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

#include "check/CheckCodes.h"

struct TFinding {
  const TCheckCode* Code = nullptr;  // its kind's row of CheckCodes()
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
