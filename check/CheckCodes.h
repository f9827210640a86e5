#pragma once
// The kinds of problem the check reports, as one table: each code's text,
// how bad it is and the one line the README's table shows for it. Findings
// name their kind by TCheckCodeId; the report and the README take the code
// text, severity and meaning from the table.
#include <array>
#include <cstddef>

enum class TSeverity { Error, Warning, Info };

// "error", "warning", "info".
const char* SeverityName(TSeverity Severity);

// Every kind of problem, in the order the README lists them.
enum class TCheckCodeId {
  IffUnreadable,
  TrailingBytes,
  FileTruncated,
  MeshMissing,
  MeshChunkMissing,
  MeshUnreadable,
  PartialRecord,
  IndexOutOfRange,
  DegenerateFace,
  NonfiniteValue,
  UnnormalisedNormal,
  LodEmpty,
  LodUnreachable,
  HardFormIgnored,
  HardpointUnreadable,
  HardpointNotRigid,
  HardpointDuplicateName,
  SphereMissing,
  SphereUnreadable,
  SphereNotEnclosing,
  FolderUnreadable,
  CheckLimited,
};

constexpr size_t CheckCodeCount = size_t(TCheckCodeId::CheckLimited) + 1;

// One kind of problem: its code, how bad it is, and one line for the
// README's table.
struct TCheckCode {
  TCheckCodeId Id;
  const char* Code;
  TSeverity Severity;
  const char* Meaning;
};

// Every code the check reports, in the order the README lists them; the row
// of a kind is CheckCodes()[size_t(Id)].
const std::array<TCheckCode, CheckCodeCount>& CheckCodes();

// The row of the kind Id.
const TCheckCode& CheckCode(TCheckCodeId Id);
