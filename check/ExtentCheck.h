#pragma once
// Whether the file ends where its top form says it does.
#include <cstdint>
#include <string>

#include "check/FileFindings.h"

class TIffReader;

// The length of FileName, the file Reader has indexed, after adding a
// finding for bytes past the top form or a top form cut short; the largest
// int64_t when the length cannot be read.
int64_t CheckExtent(const std::string& FileName, const TIffReader& Reader, TFindings& Findings);
