#pragma once
// The collision sphere: where it is, whether it can be read, whether it holds
// numbers.
#include <optional>
#include <string>

#include "check/FileFindings.h"

class TIffReader;

// The collision sphere as the editor draws it.
struct TDrawnSphere {
  TVector Center;
  double Radius = 0;
};

// The sphere of FileName, the file Reader has indexed, read as the editor's
// sphere panel reads it; none, after a finding, when it is missing,
// unreadable or not finite.
std::optional<TDrawnSphere> CheckSphere(const std::string& FileName, const TIffReader& Reader, TFindings& Findings);
