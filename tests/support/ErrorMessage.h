#pragma once
// The exact message of the error an action raises, for tests that compare it
// in full; "(nothing raised)" when the action succeeds. With a class named,
// only errors of that class are caught: any other fails the test.
#include <functional>
#include <string>

#include "runtime/Exception.h"

template <class E = Exception>
std::string MessageOf(const std::function<void()>& Action) {
  try {
    Action();
  } catch (const E& Error) {
    return Error.Message();
  }
  return "(nothing raised)";
}
