#pragma once
// The table `levels` prints: one row per level, with its faces, the faces it
// aimed at and the error made, as a share of the model's extent; a level
// that stopped short of its target says so on its row.
#include <cstdint>
#include <string>
#include <vector>

#include "levels/LevelMaking.h"

// FinestFaces is level "0000"'s count, one per face record.
std::string LevelTable(int64_t FinestFaces, const std::vector<TMadeLevel>& Made);
