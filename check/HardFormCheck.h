#pragma once
// The FORM "HARD"s whose hardpoints the loader never reads.
#include "check/FileFindings.h"

class TIffReader;

// A finding for every FORM "HARD" of the file, at any depth, other than the
// one the loader reads.
void CheckHardForms(const TIffReader& Reader, TFindings& Findings);
