#pragma once
// The exact message of the error an action raises, for tests that compare it
// in full; "(nothing raised)" when the action succeeds.
#include <functional>
#include <string>

#include "runtime/Exception.h"

inline std::string MessageOf(const std::function<void()>& Action) {
  try {
    Action();
  } catch (const Exception& E) {
    return E.Message();
  }
  return "(nothing raised)";
}
