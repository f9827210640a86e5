#pragma once
#include "runtime/FileLayer.h"

// Restores the real system calls when a test that replaced them ends.
struct TFileCallsGuard {
  TFileCallsGuard() = default;
  ~TFileCallsGuard() { ResetFileCalls(); }
  TFileCallsGuard(const TFileCallsGuard&) = delete;
  TFileCallsGuard& operator=(const TFileCallsGuard&) = delete;
};
