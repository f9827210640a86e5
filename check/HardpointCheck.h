#pragma once
// The hardpoints the loader reads: whether each can be read, is rigid, holds
// numbers and has a name of its own.
#include "check/FileFindings.h"
#include "check/LevelCheck.h"

class TIffReader;

// The hardpoints of the FORM "HARD" the loader reads, taken from First, the
// whole model's load, when it read them all; otherwise each chunk is read
// again through Reader to name every one that fails.
void CheckHardpoints(TIffReader& Reader, const TLoad& First, TFindings& Findings);
